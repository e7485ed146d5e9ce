#include "host/TForm9.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "app/HostTexts.h"
#include "app/VendorServices.h"
#include "app/vendor/ProductInfo.h"
#include "host/HttpGet.h"
#include "web/server/Text.h"

extern char** environ;

namespace host {
namespace {

// A text list takes CR LF, LF or a lone CR as a line end; a final line end adds no line.
std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        bool crLf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}

// A decimal number with "." as point, blanks around it allowed.
std::optional<double> parseDecimal(std::string_view text) {
    std::string trimmed = web::text::trim(text);
    double value = 0;
    const char* end = trimmed.data() + trimmed.size();
    auto [stop, error] = std::from_chars(trimmed.data(), end, value, std::chars_format::fixed);
    if (trimmed.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

double versionOf(std::string_view text) {
    std::optional<double> value = parseDecimal(text);
    if (!value) throw std::invalid_argument("not a version number: " + std::string(text));
    return *value;
}

TForm9Texts textsFor(int port) {
    std::string portText = std::to_string(port);
    return {"栎川在线(Web site)考试系统  V 1.0",
            "VER:",
            std::string(exam::kProductVersion),
            "【本机打开】",
            std::string("本系统为网络版，运行后可以在局域网内能连接到本计算机的任意计算机通过网页浏览器访问，"
                        "访问地址为：http://本计算机IP地址：") +
                portText + " ",
            "服务已经运行，请在浏览器中进行操作，端口号：" + portText,
            "【在线手册】"};
}

// The message comes from the network: control characters could steer the terminal.
std::string printable(std::string_view text) {
    std::string shown;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) shown += c;
    }
    return shown;
}

// The browser must not inherit the server's blocked stop signals or ignored SIGPIPE.
void resetSignals(posix_spawnattr_t& attributes) {
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

}  // namespace

void OpenInDesktopBrowser(const std::string& url) {
    std::string program = "xdg-open";
    std::string argument = url;
    char* arguments[] = {program.data(), argument.data(), nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    resetSignals(attributes);
    pid_t child = 0;
    int error = posix_spawnp(&child, program.c_str(), nullptr, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) throw std::system_error(error, std::generic_category(), "Cannot start xdg-open");
    // xdg-open returns once the browser runs; it is reaped on a thread of its own.
    std::thread([child] { waitpid(child, nullptr, 0); }).detach();
}

TForm9Platform ConsolePlatform(std::ostream& out) {
    TForm9Platform platform;
    platform.fetch = [](const std::string& url, std::stop_token stop) {
        return HttpGet(url, std::move(stop));
    };
    platform.showMessage = [&out](const std::string& text) { out << printable(text) + "\n" << std::flush; };
    // A console has no room for the news page.
    platform.navigate = [](const std::string&) {};
    platform.launchBrowser = OpenInDesktopBrowser;
    return platform;
}

TForm9::TForm9(int port, TForm9Platform platform)
    : port_(port), platform_(std::move(platform)), texts_(textsFor(port)) {}

TForm9::~TForm9() = default;

void TForm9::PrintTexts(std::ostream& out, bool withKeys) const {
    std::string text = texts_.caption + "\n" + texts_.label1 + texts_.mver + "\n" + texts_.label4 + "\n" +
                       texts_.label5 + "\n" + texts_.label2 + "\n" + texts_.label3 + "\n";
    if (withKeys) {
        text += "Keys: o + Enter " + texts_.label4 + ", m + Enter " + texts_.label3 +
                ", q + Enter closes the server.\n";
    }
    out << text << std::flush;
}

std::string TForm9::LocalAddress() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string TForm9::VendorPage(const std::string& address) const {
    return address.starts_with("/") ? LocalAddress() + address : address;
}

void TForm9::Show() {
    if (showThread_.joinable()) return;
    showThread_ = std::jthread([this](std::stop_token stop) { FormShow(std::move(stop)); });
}

void TForm9::FormShow(std::stop_token stop) {
    try {
        std::vector<std::string> lines =
            splitLines(platform_.fetch(VendorPage(exam::VendorVersionTextAddress()), stop));
        exam::PublishMemo1Lines(lines);
        if (lines.empty()) return;
        if (versionOf(lines.front()) > versionOf(texts_.mver)) {
            if (lines.size() < 2) return;
            platform_.showMessage(lines[1]);
        }
        platform_.navigate(VendorPage(exam::VendorNewsAddress()));
    } catch (...) {
        // The vendor's services are optional: nothing is shown when they fail.
    }
}

void TForm9::Label3Click() {
    platform_.launchBrowser(VendorPage(exam::VendorManualAddress()));
}

void TForm9::Label4Click() {
    platform_.launchBrowser(LocalAddress());
}

bool TForm9::HandleKey(std::string_view line, std::ostream& errors) {
    std::string key = web::text::toLower(web::text::trim(line));
    try {
        if (key == "o") Label4Click();
        if (key == "m") Label3Click();
    } catch (const std::exception& error) {
        errors << (std::string(error.what()) + "\n") << std::flush;
    }
    return key == "q";
}

bool TForm9::ReadKeys(std::istream& in, std::ostream& errors) {
    std::string line;
    while (std::getline(in, line)) {
        if (HandleKey(line, errors)) return true;
    }
    return false;
}

}  // namespace host
