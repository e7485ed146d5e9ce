#include "host/desktop/DesktopHost.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <vector>

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

// While the window runs, the stop signals reach the GTK thread, where GLib turns them into
// events of the loop; every other thread keeps them blocked. Blocked again afterwards, so
// a console host that takes over can wait for them.
class StopSignals {
public:
    StopSignals(const sigset_t& signals, GMainLoop* loop) : signals_(signals), loop_(loop) {
        for (int number : {SIGINT, SIGTERM}) {
            if (sigismember(&signals_, number) == 1)
                sources_.push_back(g_unix_signal_add(number, stop, this));
        }
        pthread_sigmask(SIG_UNBLOCK, &signals_, nullptr);
    }
    ~StopSignals() {
        pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
        for (guint source : sources_) g_source_remove(source);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool Received() const { return received_; }

private:
    static gboolean stop(gpointer self) {
        auto* watch = static_cast<StopSignals*>(self);
        watch->received_ = true;
        g_main_loop_quit(watch->loop_);
        return G_SOURCE_CONTINUE;
    }

    sigset_t signals_;
    GMainLoop* loop_;
    std::vector<guint> sources_;
    bool received_ = false;
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
        StopSignals signals(state.stopSignals, loop);
        window.Show();
        g_main_loop_run(loop);
        if (signals.Received()) end = WindowEnd::Stopped;
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
