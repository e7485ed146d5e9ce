#include "host/desktop/HostSelection.h"

namespace host {
namespace {

bool named(const EnvironmentLookup& environment, const char* name) {
    const char* value = environment(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

HostKind ChooseHost(const HostOptions& options, bool windowBuilt, const EnvironmentLookup& environment) {
    if (!windowBuilt || options.headless || options.console) return HostKind::Console;
    if (!named(environment, "DISPLAY") && !named(environment, "WAYLAND_DISPLAY")) return HostKind::Console;
    return HostKind::Window;
}

bool DesktopWindowBuilt() {
#if EXAM_DESKTOP_WINDOW
    return true;
#else
    return false;
#endif
}

}  // namespace host
