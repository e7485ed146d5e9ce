#pragma once

#include <functional>
#include <string>

#include "host/HostOptions.h"

namespace host {

enum class HostKind { Console, Window };

// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The window when the program was built with it, a display is named (DISPLAY or
// WAYLAND_DISPLAY, not empty) and neither -headless nor -console is given; the console
// host otherwise.
HostKind ChooseHost(const HostOptions& options, bool windowBuilt, const EnvironmentLookup& environment);

// Whether this build holds the desktop window.
bool DesktopWindowBuilt();

}  // namespace host
