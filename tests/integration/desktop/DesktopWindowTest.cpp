#if EXAM_DESKTOP_WINDOW

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/HostTexts.h"
#include "app/VendorServices.h"
#include "host/HttpGet.h"
#include "host/desktop/DesktopWindow.h"
#include "tests/integration/desktop/XvfbDisplay.h"
#include "tests/support/ExamServer.h"
#include "tests/support/RuntimeFixture.h"
// Last: Xlib's macros (None, Status) clash with names of the runtime.
#include <gdk/gdkx.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Runs the GTK loop until `done` holds or the time is up; whether it holds.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (!g_main_context_iteration(nullptr, FALSE)) std::this_thread::sleep_for(5ms);
    }
    return true;
}

void pumpFor(std::chrono::milliseconds time) {
    pumpUntil([] { return false; }, time);
}

std::string labelText(host::DesktopWindow& window, const char* name) {
    GtkWidget* widget = window.Control(name);
    return widget != nullptr && GTK_IS_LABEL(widget) ? gtk_label_get_text(GTK_LABEL(widget)) : "(none)";
}

std::string dialogText(GtkWidget* dialog) {
    gchar* text = nullptr;
    g_object_get(dialog, "text", &text, nullptr);
    std::string copy = text != nullptr ? text : "";
    g_free(text);
    return copy;
}

// GTK keeps its display for the life of the process, so the tests of one process share
// one virtual display.
testing_support::XvfbDisplay& sharedDisplay() {
    static testing_support::XvfbDisplay display;
    return display;
}

// The window on a virtual display of the test's own, for the exam server with its
// built-in vendor site; the browser launcher and the problem reports are recorded.
class DesktopWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(xvfb_.name().empty()) << "Xvfb could not be started";
        setenv("DISPLAY", xvfb_.name().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
        exam::UseThisServerAsVendor();
        exam::RestoreBuiltInMemo1Lines();
    }

    void TearDown() override {
        window_.reset();
        pumpFor(100ms);
        exam::RestoreBuiltInMemo1Lines();
    }

    host::DesktopWindowSettings settings() {
        host::DesktopWindowSettings settings;
        settings.port = server_.port();
        settings.addresses = {"http://192.0.2.7:" + std::to_string(server_.port()) + "/",
                              "http://198.51.100.3:" + std::to_string(server_.port()) + "/"};
        settings.launcher = [this](const std::string& uri) {
            if (launchFails_) throw std::runtime_error("no browser on this desktop");
            launched_.push_back(uri);
        };
        settings.fetch = [](const std::string& url, std::stop_token stop) {
            return host::HttpGet(url, std::move(stop));
        };
        settings.candidatesInExam = [this] { return candidates_; };
        settings.report = [this](const std::string& line) { reports_.push_back(line); };
        return settings;
    }

    host::DesktopWindow& open(host::DesktopWindowSettings given) {
        window_ = std::make_unique<host::DesktopWindow>(std::move(given));
        window_->OnClosed([this] { ++closedCalls_; });
        window_->Show();
        EXPECT_TRUE(pumpUntil([this] { return gtk_widget_get_mapped(GTK_WIDGET(window_->Window())); }));
        return *window_;
    }

    std::string local() const { return "http://127.0.0.1:" + std::to_string(server_.port()); }

    bool newsShown(host::DesktopWindow& window) {
        WebKitWebView* view = window.NewsView();
        if (view == nullptr || webkit_web_view_is_loading(view)) return false;
        const char* uri = webkit_web_view_get_uri(view);
        const char* title = webkit_web_view_get_title(view);
        return uri != nullptr && uri == local() + "/zxtest/mshow.html" && title != nullptr && *title != '\0';
    }

    testing_support::XvfbDisplay& xvfb_ = sharedDisplay();
    testing_support::ExamServer server_;
    std::unique_ptr<host::DesktopWindow> window_;
    std::vector<std::string> launched_;
    std::vector<std::string> reports_;
    std::size_t candidates_ = 0;
    bool launchFails_ = false;
    int closedCalls_ = 0;
};

TEST_F(DesktopWindowTest, ShowsTheCaptionAndEveryTextAtItsPlace) {
    host::DesktopWindow& window = open(settings());
    const std::string port = std::to_string(server_.port());
    EXPECT_STREQ(gtk_window_get_title(window.Window()), "栎川在线(Web site)考试系统  V 1.0");
    struct Place {
        const char* name;
        std::string text;
        int left, top;
    };
    const std::vector<Place> places{
        {"Label1", "VER:", 528, 8},
        {"mver", "1.1", 552, 8},
        {"Label5",
         "本系统为网络版，运行后可以在局域网内能连接到本计算机的任意计算机通过网页浏览器访问，"
         "访问地址为：http://本计算机IP地址：" +
             port + " ",
         128, 200},
        {"Label4", "【本机打开】", 0, 206},
        {"Label6", "本机地址：http://192.0.2.7:" + port + "/  http://198.51.100.3:" + port + "/", 128, 232},
        {"Label2", "服务已经运行，请在浏览器中进行操作，端口号：" + port, 128, 256},
        {"Label3", "【在线手册】", 504, 256},
    };
    for (const Place& place : places) {
        EXPECT_EQ(labelText(window, place.name), place.text) << place.name;
        // A link's label sits in a box of its own that takes the clicks.
        GtkWidget* widget = window.Control(place.name + std::string("Box"));
        if (widget == nullptr) widget = window.Control(place.name);
        ASSERT_NE(widget, nullptr) << place.name;
        GtkAllocation at;
        gtk_widget_get_allocation(widget, &at);
        EXPECT_EQ(at.x, place.left) << place.name;
        EXPECT_EQ(at.y, place.top) << place.name;
    }
    GtkAllocation news;
    gtk_widget_get_allocation(window.Control("WebBrowser1"), &news);
    EXPECT_EQ((std::vector<int>{news.x, news.y, news.width, news.height}),
              (std::vector<int>{-3, 31, 600, 160}));
    GdkWindow* client = gtk_widget_get_window(GTK_WIDGET(window.Window()));
    EXPECT_EQ(gdk_window_get_width(client), 582);
    EXPECT_EQ(gdk_window_get_height(client), 280);
    EXPECT_FALSE(gtk_window_get_resizable(window.Window()));
}

// Without a newer version the news page of the built-in vendor site fills the view, and
// the downloaded version text becomes the hidden list.
TEST_F(DesktopWindowTest, NewsViewLoadsTheVendorsNewsPage) {
    host::DesktopWindow& window = open(settings());
    ASSERT_TRUE(pumpUntil([&] { return newsShown(window); })) << reports_.size();
    EXPECT_STREQ(webkit_web_view_get_title(window.NewsView()), "运行情况");
    EXPECT_EQ(window.OpenDialog(), nullptr);
    EXPECT_EQ(exam::Memo1Line(3), "/");
    EXPECT_TRUE(reports_.empty()) << reports_.front();
}

// A newer version: the message box first, the news only once it is confirmed.
TEST_F(DesktopWindowTest, NewerVersionShowsTheMessageThenTheNews) {
    host::DesktopWindowSettings given = settings();
    given.fetch = [](const std::string&, std::stop_token) {
        return std::string("9.5\r\n请升级到 9.5 版\r\n");
    };
    host::DesktopWindow& window = open(std::move(given));
    ASSERT_TRUE(pumpUntil([&] { return window.OpenDialog() != nullptr; }));
    EXPECT_EQ(dialogText(window.OpenDialog()), "请升级到 9.5 版");
    pumpFor(300ms);
    EXPECT_EQ(webkit_web_view_get_uri(window.NewsView()), nullptr);
    gtk_dialog_response(GTK_DIALOG(window.OpenDialog()), GTK_RESPONSE_OK);
    EXPECT_EQ(window.OpenDialog(), nullptr);
    EXPECT_TRUE(pumpUntil([&] { return newsShown(window); }));
}

// A version check that never answers leaves the window working (its loop turns).
TEST_F(DesktopWindowTest, SlowVendorDoesNotFreezeTheWindow) {
    host::DesktopWindowSettings given = settings();
    given.fetch = [](const std::string&, std::stop_token stop) -> std::string {
        while (!stop.stop_requested()) std::this_thread::sleep_for(10ms);
        throw std::runtime_error("stopped");
    };
    host::DesktopWindow& window = open(std::move(given));
    bool ticked = false;
    g_timeout_add(
        50,
        +[](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &ticked);
    EXPECT_TRUE(pumpUntil([&] { return ticked; }, 2s));
    window.Label4Click();
    EXPECT_EQ(launched_, (std::vector<std::string>{local()}));
}

// The links take a release of the first button on their box, as a click ends.
TEST_F(DesktopWindowTest, LinksOpenTheSystemAndTheManualInTheDesktopsBrowser) {
    host::DesktopWindow& window = open(settings());
    for (const char* name : {"Label4Box", "Label3Box"}) {
        GtkWidget* box = window.Control(name);
        ASSERT_NE(box, nullptr) << name;
        GdkEvent* release = gdk_event_new(GDK_BUTTON_RELEASE);
        release->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(box)));
        release->button.button = 1;
        release->button.x = 5;
        release->button.y = 5;
        gdk_event_set_device(release,
                             gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_widget_event(box, release);
        gdk_event_free(release);
    }
    EXPECT_EQ(launched_, (std::vector<std::string>{local(), local() + "/zxtest/manual/"}));
}

TEST_F(DesktopWindowTest, BrowserThatCannotStartIsReportedAndTheWindowStays) {
    launchFails_ = true;
    host::DesktopWindow& window = open(settings());
    window.Label4Click();
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_.front(), "no browser on this desktop");
    EXPECT_FALSE(window.Closed());
}

TEST_F(DesktopWindowTest, ClosingWithNoExamRunningClosesAtOnce) {
    host::DesktopWindow& window = open(settings());
    window.RequestClose();
    EXPECT_TRUE(window.Closed());
    EXPECT_EQ(closedCalls_, 1);
    EXPECT_EQ(window.OpenDialog(), nullptr);
    EXPECT_FALSE(gtk_widget_get_visible(GTK_WIDGET(window.Window())));
}

// The close request comes from the window manager's close button (WM_DELETE_WINDOW).
TEST_F(DesktopWindowTest, ClosingDuringAnExamAsksFirstAndCancelKeepsTheService) {
    candidates_ = 2;
    host::DesktopWindow& window = open(settings());
    unsigned long id = GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(window.Window())));
    for (int response : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_DELETE_EVENT, GTK_RESPONSE_OK}) {
        ASSERT_TRUE(testing_support::SendCloseRequest(xvfb_.name(), id));
        ASSERT_TRUE(pumpUntil([&] { return window.OpenDialog() != nullptr; })) << response;
        EXPECT_EQ(dialogText(window.OpenDialog()), "仍有考生正在考试，确定要关闭服务吗？");
        EXPECT_FALSE(window.Closed()) << response;
        gtk_dialog_response(GTK_DIALOG(window.OpenDialog()), response);
        EXPECT_EQ(window.Closed(), response == GTK_RESPONSE_OK) << response;
    }
    EXPECT_EQ(closedCalls_, 1);
}

// A news view whose web process dies is said on the report and dropped; the window and
// its links go on.
TEST_F(DesktopWindowTest, NewsViewThatStopsIsReportedAndTheWindowGoesOn) {
    host::DesktopWindow& window = open(settings());
    ASSERT_TRUE(pumpUntil([&] { return newsShown(window); }));
    const std::vector<pid_t> helpers = testing_support::WebProcessesOf(getpid());
    ASSERT_FALSE(helpers.empty());
    for (pid_t helper : helpers) kill(helper, SIGKILL);
    ASSERT_TRUE(pumpUntil([&] { return window.NewsView() == nullptr; }));
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_.front(),
              "The news view stopped (its web process ended); the server goes on without it.");
    window.Label4Click();
    EXPECT_EQ(launched_, (std::vector<std::string>{local()}));
}

// The picture of the window as the screen shows it: the size of the client area, the
// background colour and white text. EXAM_WINDOW_SCREENSHOT names a file to keep it in.
TEST_F(DesktopWindowTest, ScreenshotShowsTheLayout) {
    host::DesktopWindowSettings given = settings();
    given.addresses = {"http://192.168.1.20:" + std::to_string(server_.port()) + "/"};
    host::DesktopWindow& window = open(std::move(given));
    ASSERT_TRUE(pumpUntil([&] { return newsShown(window); }));
    pumpFor(1500ms);
    const fs::path folder = testing_support::MakeTemporaryFolder("snapshot");
    const fs::path file = folder / "window.png";
    ASSERT_TRUE(window.SaveSnapshot(file.string()));
    GdkPixbuf* shot = gdk_pixbuf_new_from_file(file.c_str(), nullptr);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(shot), 582);
    EXPECT_EQ(gdk_pixbuf_get_height(shot), 280);
    auto pixel = [&](int x, int y) {
        const guchar* at = gdk_pixbuf_read_pixels(shot) + y * gdk_pixbuf_get_rowstride(shot) +
                           x * gdk_pixbuf_get_n_channels(shot);
        return (at[0] << 16) | (at[1] << 8) | at[2];
    };
    EXPECT_EQ(pixel(10, 270), 0x494949);
    EXPECT_EQ(pixel(300, 5), 0x494949);
    // Smoothed glyphs: white at their cores, grey at their edges.
    int light = 0;
    for (int x = 128; x < 500; ++x) {
        for (int y = 256; y < 270; ++y) light += (pixel(x, y) & 0xc0c0c0) == 0xc0c0c0 ? 1 : 0;
    }
    EXPECT_GT(light, 300) << "the status line";
    EXPECT_EQ(pixel(0, 120) & 0xf0f0f0, 0xf0f0f0) << "the news page's light background";
    g_object_unref(shot);
    if (const char* keep = std::getenv("EXAM_WINDOW_SCREENSHOT")) {
        fs::copy_file(file, keep, fs::copy_options::overwrite_existing);
    }
    fs::remove_all(folder);
}

}  // namespace

#endif
