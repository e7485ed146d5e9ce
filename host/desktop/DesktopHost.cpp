#include "host/desktop/DesktopHost.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "host/HttpGet.h"
#include "host/TForm9.h"
#include "host/desktop/BrowserLauncher.h"
#include "host/desktop/DesktopWindow.h"

namespace host {
namespace {

// The loop of the running window; the display's handlers end it from inside Xlib.
std::atomic<GMainLoop*> gRunningLoop{nullptr};
std::atomic<bool> gDisplayLost{false};

void displayLost() {
    if (gDisplayLost.exchange(true)) return;
    if (GMainLoop* loop = gRunningLoop.load()) g_main_loop_quit(loop);
}

// Xlib would end the process when the X server goes; the server is kept and the window
// given up instead. Once the connection is marked broken, Xlib calls return at once.
int onXConnectionError(Display*) {
    return 0;
}

void onXConnectionLost(Display*, void*) {
    displayLost();
}

void watchDisplay(GdkDisplay* display) {
    if (GDK_IS_X11_DISPLAY(display)) {
        XSetIOErrorHandler(onXConnectionError);
        XSetIOErrorExitHandler(gdk_x11_display_get_xdisplay(display), onXConnectionLost, nullptr);
    }
    g_signal_connect(display, "closed", G_CALLBACK(+[](GdkDisplay*, gboolean, gpointer) { displayLost(); }),
                     nullptr);
}

std::string displayName() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    std::string name = x != nullptr && *x != '\0' ? std::string("DISPLAY=") + x : "";
    if (wayland != nullptr && *wayland != '\0')
        name += (name.empty() ? "" : ", ") + std::string("WAYLAND_DISPLAY=") + wayland;
    return name;
}

void sayOnStandardError(const std::string& line) {
    std::cerr << line + "\n" << std::flush;
}

// Takes the stop signals while the window runs and ends its loop on one; woken with a
// signal of its own when the window ended first.
class StopSignalWatch {
public:
    StopSignalWatch(const sigset_t& signals, GMainLoop* loop)
        : signals_(signals), loop_(loop), thread_([this] { watch(); }) {}
    ~StopSignalWatch() {
        done_ = true;
        pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
    }
    StopSignalWatch(const StopSignalWatch&) = delete;
    StopSignalWatch& operator=(const StopSignalWatch&) = delete;

    bool Signalled() const { return signalled_; }

private:
    void watch() {
        int received = 0;
        sigwait(&signals_, &received);
        if (done_) return;
        signalled_ = true;
        // Queued for the GTK thread; invoking could run it here.
        g_idle_add(
            +[](gpointer loop) -> gboolean {
                g_main_loop_quit(static_cast<GMainLoop*>(loop));
                return G_SOURCE_REMOVE;
            },
            loop_);
    }

    sigset_t signals_;
    GMainLoop* loop_;
    std::atomic<bool> done_{false};
    std::atomic<bool> signalled_{false};
    std::thread thread_;
};

DesktopWindowSettings windowSettings(const HostOptions& options, const ServingState& state) {
    DesktopWindowSettings settings;
    settings.port = state.port;
    // The loopback address only helps this computer; it is listed when it is all there is.
    for (const std::string& address : state.addresses) {
        if (!address.starts_with("http://127.")) settings.addresses.push_back(address);
    }
    if (settings.addresses.empty()) settings.addresses = state.addresses;
    settings.minimize = options.minimize;
    settings.launcher = DesktopBrowserLauncher();
    settings.fetch = [](const std::string& url, std::stop_token stop) {
        return HttpGet(url, std::move(stop));
    };
    settings.candidatesInExam = state.candidatesInExam;
    settings.report = sayOnStandardError;
    return settings;
}

}  // namespace

WindowEnd RunDesktopHost(const HostOptions& options, const ServingState& state) {
    if (!gtk_init_check(nullptr, nullptr)) {
        sayOnStandardError("The window could not be opened on the desktop (" + displayName() +
                           "); the server goes on in the console.");
        return WindowEnd::Unavailable;
    }
    g_set_application_name(std::string(kProgramTitle).c_str());
    watchDisplay(gdk_display_get_default());
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    gRunningLoop = loop;
    WindowEnd end = WindowEnd::Closed;
    {
        DesktopWindow window(windowSettings(options, state));
        window.OnClosed([loop] { g_main_loop_quit(loop); });
        StopSignalWatch watch(state.stopSignals, loop);
        window.Show();
        g_main_loop_run(loop);
        if (watch.Signalled()) end = WindowEnd::Stopped;
        if (gDisplayLost) {
            window.Abandon();
            end = WindowEnd::DisplayLost;
            sayOnStandardError("The desktop display went away; the server goes on in the console.");
        }
    }
    gRunningLoop = nullptr;
    g_main_loop_unref(loop);
    return end;
}

}  // namespace host
