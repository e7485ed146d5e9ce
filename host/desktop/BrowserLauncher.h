#pragma once

#include <functional>
#include <string>

namespace host {

// Opens an address in the desktop's browser; throws std::runtime_error (or
// std::system_error) when no browser can be started. Tests put one in that records.
using BrowserLauncher = std::function<void(const std::string& uri)>;

// The desktop's default handler for the address (GIO), or xdg-open when GIO has none.
BrowserLauncher DesktopBrowserLauncher();

}  // namespace host
