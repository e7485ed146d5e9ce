#include "host/desktop/BrowserLauncher.h"

#include <gio/gio.h>

#include <stdexcept>

#include "host/TForm9.h"

namespace host {
namespace {

void launchDefault(const std::string& uri) {
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error)) return;
    std::string reason = error != nullptr ? error->message : "no handler";
    g_clear_error(&error);
    // Desktops without a registered browser still tend to have xdg-open configured.
    try {
        OpenInDesktopBrowser(uri);
    } catch (const std::exception& fallback) {
        throw std::runtime_error("Cannot open " + uri + " in a browser: " + reason + "; " + fallback.what());
    }
}

}  // namespace

BrowserLauncher DesktopBrowserLauncher() {
    return launchDefault;
}

}  // namespace host
