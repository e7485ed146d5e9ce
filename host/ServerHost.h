#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "host/HostOptions.h"
#include "host/desktop/DesktopHost.h"

namespace host {

// Memory for live sessions unless -sessionmemory says otherwise.
inline constexpr std::size_t kDefaultSessionMemory = std::size_t{1} << 30;
// What one live session may cost: about 10 KiB measured with sessions left on the home
// page (table entry, page and controls, queries), with room for the larger exam and
// administration pages. Sessions hold no database connection.
inline constexpr std::size_t kSessionCost = 32 * 1024;

// Live sessions allowed at once within `budgetBytes` of memory (at least 16).
std::size_t SessionCapForMemory(std::size_t budgetBytes);

// A window that serves the operator while the server runs (RunDesktopHost).
using WindowHost = std::function<WindowEnd(const HostOptions& options, const ServingState& state)>;

// Runs the program with parsed options: creates the database when asked, starts the
// server, serves until the window closes (with `window`), "q", SIGINT or SIGTERM, and
// stops cleanly. A window that cannot run leaves the server to the console host.
// Returns the exit status.
int RunServerHost(const HostOptions& options, const WindowHost& window = {});

}  // namespace host
