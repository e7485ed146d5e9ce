#pragma once

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "host/TForm9.h"
#include "host/desktop/BrowserLauncher.h"

namespace host {

struct DesktopWindowSettings {
    int port = 89;
    // The start addresses candidates type, read out to the class.
    std::vector<std::string> addresses;
    bool minimize = false;
    BrowserLauncher launcher;
    // The version check's GET; raises on any failure.
    std::function<std::string(const std::string& url, std::stop_token stop)> fetch;
    // Candidates taking an exam now, asked when the window is closed.
    std::function<std::size_t()> candidatesInExam;
    // Problems that leave the server running (a news view that stopped, a browser that
    // could not be started), one line each.
    std::function<void(const std::string& line)> report;
};

// The host window on the desktop: the texts and links of TForm9 on a fixed 582 x 280
// client area with the news view. Built and used on the thread that runs GTK; the
// version check runs on a thread of its own and hands its results to that thread, so a
// slow vendor server never freezes the window.
class DesktopWindow final {
public:
    // The confirmation asked when the window is closed during an exam.
    static constexpr std::string_view kCloseQuestion = "仍有考生正在考试，确定要关闭服务吗？";

    // GTK must be initialised on this thread.
    explicit DesktopWindow(DesktopWindowSettings settings);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    // Called once, on the GTK thread, when the window has closed.
    void OnClosed(std::function<void()> closed) { onClosed_ = std::move(closed); }

    // Shows the window (minimised with -Minimize) and starts FormShow.
    void Show();
    // What the window manager's close button does: closes at once, or first asks
    // kCloseQuestion while candidates are taking an exam.
    void RequestClose();
    bool Closed() const { return closed_; }
    // The display went away: the widgets are left alone from here on.
    void Abandon() { abandoned_ = true; }

    // "【在线手册】" and "【本机打开】"; a browser that cannot be started is reported.
    void Label3Click();
    void Label4Click();

    GtkWindow* Window() const { return GTK_WINDOW(window_); }
    // A control by its name ("Label1" ... "Label6", "mver", "WebBrowser1"), or null.
    GtkWidget* Control(std::string_view name) const;
    // The news view, or null after it stopped.
    WebKitWebView* NewsView() const { return news_; }
    // The message box or the confirmation on show, or null.
    GtkWidget* OpenDialog() const { return dialog_; }
    // Writes what the window shows on the screen as a PNG file; false when it cannot.
    bool SaveSnapshot(const std::string& pngFile) const;

private:
    struct Alive {};

    void build();
    void placeLabel(const char* name, const std::string& text, int left, int top, int width, int height);
    void placeLink(const char* name, const std::string& text, int left, int top, int width, int height,
                   void (DesktopWindow::*click)());
    void placeNewsView();
    TForm9Platform platform();
    // Runs `task` on the GTK thread unless the window has gone by then.
    void post(std::function<void(DesktopWindow&)> task);
    void showMessage(const std::string& text);
    void navigate(const std::string& url);
    void askBeforeClosing();
    void closeNow();
    void dialogAnswered(int response);
    void newsStopped(const std::string& why);
    void report(const std::string& line) const;
    void launch(void (TForm9::*click)());

    DesktopWindowSettings settings_;
    std::function<void()> onClosed_;
    GtkWidget* window_ = nullptr;  // owned: destroyed with this object
    GtkWidget* fixed_ = nullptr;
    WebKitWebView* news_ = nullptr;
    GtkWidget* dialog_ = nullptr;
    bool confirming_ = false;
    std::string pendingNews_;
    bool closed_ = false;
    bool abandoned_ = false;
    std::shared_ptr<Alive> alive_ = std::make_shared<Alive>();
    // Last: its worker is stopped and joined before the members it reaches go.
    std::unique_ptr<TForm9> form_;
};

}  // namespace host
