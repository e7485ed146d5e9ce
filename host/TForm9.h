#pragma once

#include <functional>
#include <iosfwd>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace host {

// What the host window needs of its surroundings. The console fills it with the real
// operations (ConsolePlatform); tests put fakes in.
struct TForm9Platform {
    // GET of an address, returning the body; raises on any failure.
    std::function<std::string(const std::string& url, std::stop_token stop)> fetch;
    // The message box.
    std::function<void(const std::string& text)> showMessage;
    // Shows a page in the window's browser area `WebBrowser1`.
    std::function<void(const std::string& url)> navigate;
    // Starts the desktop's browser on an address; raises when it cannot be started.
    std::function<void(const std::string& url)> launchBrowser;
};

// The console's platform: HttpGet with its 30-second limit, the message printed on `out`
// (which must outlive every use), no browser area, and xdg-open for the desktop browser.
TForm9Platform ConsolePlatform(std::ostream& out);

// Starts `xdg-open url` without waiting for it; throws std::system_error when it cannot.
void OpenInDesktopBrowser(const std::string& url);

// The program's title, the name of its task entry.
inline constexpr std::string_view kProgramTitle = "栎川在线考试系统";

// The window's visible texts, named after its controls.
struct TForm9Texts {
    std::string caption;
    std::string label1;
    std::string mver;    // the program's own version, compared by the version check
    std::string label4;  // opens the system on this computer
    std::string label5;  // how to reach the system
    std::string label2;  // status line
    std::string label3;  // opens the online manual
};

// The host window in console form. It tells the operator how to reach the server on
// `port`, checks once whether the vendor announces a newer version (refreshing the hidden
// list `Memo1`), and opens the system or the online manual in the desktop's browser on the
// keys "o" and "m".
class TForm9 {
public:
    TForm9(int port, TForm9Platform platform);
    // Stops a version check still running and waits for it.
    ~TForm9();
    TForm9(const TForm9&) = delete;
    TForm9& operator=(const TForm9&) = delete;

    // The texts; where the window names port 89 they name the port in use.
    const TForm9Texts& Texts() const { return texts_; }
    // Prints the caption and the texts, one a line, and with `withKeys` the keys taken.
    void PrintTexts(std::ostream& out, bool withKeys) const;
    // The system's address on this computer.
    std::string LocalAddress() const;
    // A vendor page's address; while this server is the vendor, on this computer.
    std::string VendorPage(const std::string& address) const;

    // Runs FormShow once on a thread of the window's own, so the caller stays free.
    void Show();
    // The version check: fetches the vendor's version text, publishes its lines as
    // `Memo1`, shows line 1 when line 0 announces a version above the own one, then
    // shows the vendor's news page. Any failure ends it silently at that step.
    void FormShow(std::stop_token stop = {});

    // "【在线手册】": the vendor's online manual in the desktop's browser.
    void Label3Click();
    // "【本机打开】": the system on this computer in the desktop's browser.
    void Label4Click();

    // One typed line: "o" opens the system, "m" the manual (a failure to start the browser
    // is written on `errors`); returns true for "q", which closes the window.
    bool HandleKey(std::string_view line, std::ostream& errors);
    // Handles typed lines until "q" (returns true) or the end of the input (false).
    bool ReadKeys(std::istream& in, std::ostream& errors);

private:
    int port_;
    TForm9Platform platform_;
    TForm9Texts texts_;
    // Last, so that it is stopped and joined before the members it uses go.
    std::jthread showThread_;
};

}  // namespace host
