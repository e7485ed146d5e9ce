#pragma once

#include <signal.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "host/HostOptions.h"

namespace host {

// What the server host hands to a window while it serves.
struct ServingState {
    int port = 0;
    // The start addresses candidates type, loopback last.
    std::vector<std::string> addresses;
    // Candidates taking an exam now.
    std::function<std::size_t()> candidatesInExam;
    // The stop signals, blocked on every thread started by the host; the window takes them
    // on its own thread while it runs.
    sigset_t stopSignals{};
};

// How the window's run ended.
enum class WindowEnd {
    Closed,       // the operator closed the window: the server stops
    Stopped,      // a stop signal came: the server stops
    Unavailable,  // no display could be opened: the console host takes over
    DisplayLost,  // the display went away: the console host takes over
};

// Runs the host window on this thread until it ends; what went wrong with the desktop is
// said on standard error. The request threads never wait for it.
WindowEnd RunDesktopHost(const HostOptions& options, const ServingState& state);

}  // namespace host
