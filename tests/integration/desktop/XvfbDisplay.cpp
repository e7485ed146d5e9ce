#include "tests/integration/desktop/XvfbDisplay.h"

#if EXAM_DESKTOP_WINDOW

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "tests/support/RuntimeFixture.h"
// Last: Xlib's macros (None, Status) clash with names of the runtime.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testing_support {
namespace {

struct CloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, CloseDisplay>;

DisplayHandle openDisplay(const std::string& name) {
    return DisplayHandle(XOpenDisplay(name.c_str()));
}

std::string windowTitle(Display* display, Window window) {
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
    }
    if (data != nullptr) XFree(data);
    return title;
}

Window findTitled(Display* display, Window parent, const std::string& title) {
    Window root = 0;
    Window up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        if (windowTitle(display, children[i]) == title) found = children[i];
    }
    if (children != nullptr) XFree(children);
    return found;
}

}  // namespace

XvfbDisplay::XvfbDisplay() : folder_(MakeTemporaryFolder("xvfb")) {
    int ready[2];
    if (pipe(ready) != 0) return;
    const std::string fd = std::to_string(ready[1]);
    const std::string log = (folder_ / "xvfb.log").string();
    std::vector<std::string> words{"Xvfb",       "-displayfd", fd,    "-screen", "0",
                                   "800x600x24", "-nolisten",  "tcp", "-fbdir",  folder_.string()};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int logFile = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_ = fork();
    if (pid_ == 0) {
        close(ready[0]);
        // Never outlives the test, even one that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (logFile >= 0) {
            dup2(logFile, 1);
            dup2(logFile, 2);
        }
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    if (logFile >= 0) close(logFile);
    close(ready[1]);
    // Xvfb writes the display number it chose once it takes connections.
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (poll(&wait, 1, 200) <= 0) continue;
        char buffer[32];
        ssize_t got = read(ready[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<std::size_t>(got));
    }
    close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        stop();
        return;
    }
    name_ = ":" + number.substr(0, number.find('\n'));
}

XvfbDisplay::~XvfbDisplay() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void XvfbDisplay::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

unsigned long FindTopLevelWindow(const std::string& display, const std::string& title,
                                 std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        if (DisplayHandle handle = openDisplay(display)) {
            if (Window found = findTitled(handle.get(), DefaultRootWindow(handle.get()), title)) return found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return 0;
}

bool SendCloseRequest(const std::string& display, unsigned long window) {
    DisplayHandle handle = openDisplay(display);
    if (!handle) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(handle.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(handle.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    bool sent = XSendEvent(handle.get(), window, False, NoEventMask, &event) != 0;
    XSync(handle.get(), False);
    return sent;
}

bool StartsIconic(const std::string& display, unsigned long window) {
    DisplayHandle handle = openDisplay(display);
    if (!handle) return false;
    XWMHints* hints = XGetWMHints(handle.get(), window);
    if (hints == nullptr) return false;
    bool iconic = (hints->flags & StateHint) != 0 && hints->initial_state == IconicState;
    XFree(hints);
    return iconic;
}

std::vector<pid_t> WebProcessesOf(pid_t parent) {
    std::vector<pid_t> found;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name;
        char state = 0;
        pid_t up = 0;
        if (!(stat >> pid >> name >> state >> up) || up != parent) continue;
        // The kernel keeps 15 characters of "WebKitWebProcess".
        if (name.find("WebProces") != std::string::npos) found.push_back(std::stoi(pid));
    }
    return found;
}

}  // namespace testing_support

#endif
