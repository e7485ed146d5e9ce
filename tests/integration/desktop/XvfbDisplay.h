#pragma once

#if EXAM_DESKTOP_WINDOW

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// A virtual X server of the test's own: Xvfb picks a free display number itself and
// works in a fresh temporary folder; stopped and the folder removed when this goes.
class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // ":N", empty when Xvfb could not be started.
    const std::string& name() const { return name_; }
    // Ends the X server now, as when a desktop session goes away.
    void stop();

private:
    std::filesystem::path folder_;
    std::string name_;
    pid_t pid_ = -1;
};

// Waits up to `limit` for a top-level window of that title on `display`; its X id or 0.
unsigned long FindTopLevelWindow(const std::string& display, const std::string& title,
                                 std::chrono::milliseconds limit);

// Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW).
bool SendCloseRequest(const std::string& display, unsigned long window);

// Whether the window asked to start iconic (the -Minimize switch) in its WM hints.
bool StartsIconic(const std::string& display, unsigned long window);

// The process ids of the WebKit web processes started by `parent`.
std::vector<pid_t> WebProcessesOf(pid_t parent);

}  // namespace testing_support

#endif
