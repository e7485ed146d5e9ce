#include "bench/BenchSupport.h"

#include <arpa/inet.h>
#include <errno.h>
#include <iconv.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

#include "web/forms/CodePage.h"
#include "web/server/transport/Socket.h"

namespace bench {

namespace {

constexpr std::size_t kReplyLimit = 4 * 1024 * 1024;
constexpr std::size_t kFirstReceive = 32 * 1024;
constexpr const char* kUserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

bool toAddress(const std::string& text, in_addr& address) {
    return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

}  // namespace

// ---- the process ----------------------------------------------------------------------

std::size_t raiseOpenFileLimit(std::size_t wanted) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = std::min<rlim_t>(wanted, limit.rlim_max);
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    return static_cast<std::size_t>(limit.rlim_cur);
}

void nameThisThread(std::string_view role) {
    std::string name = std::string(kThreadPrefix) + std::string(role);
    name.resize(std::min<std::size_t>(name.size(), 15));  // the kernel keeps 15 bytes
    pthread_setname_np(pthread_self(), name.c_str());
}

int processThreads() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
    }
    return 0;
}

int serverThreads() {
    const std::string mainThread = std::to_string(getpid());
    int count = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        if (task.path().filename() == mainThread) continue;
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        // A thread that ended between listing and reading has no name left.
        if (!name.empty() && name.rfind(kThreadPrefix, 0) != 0) ++count;
    }
    return count;
}

std::string clientAddress(int index) {
    return "127.1." + std::to_string(index / 250) + "." + std::to_string(index % 250 + 1);
}

// ---- a small HTTP client ----------------------------------------------------------------

Reply exchange(const Endpoint& server, const std::string& source, const std::string& request,
               std::chrono::seconds timeout) {
    Reply reply;
    web::Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.fd() < 0) {
        reply.error = std::string("no socket: ") + std::strerror(errno);
        return reply;
    }
    const timeval limit{static_cast<time_t>(timeout.count()), 0};
    setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);  // also bounds connect
    if (!source.empty()) {
        // The port is chosen at connect, by the whole address pair, not at bind.
        const int on = 1;
        setsockopt(socket.fd(), IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        if (!toAddress(source, local.sin_addr) ||
            ::bind(socket.fd(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            reply.error = "cannot bind to " + source + ": " + std::strerror(errno);
            return reply;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(server.port));
    if (!toAddress(server.address, address.sin_addr)) {
        reply.error = "not an address: " + server.address;
        return reply;
    }
    if (::connect(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        reply.error = std::string("connect failed: ") + std::strerror(errno);
        return reply;
    }
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(socket.fd(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            reply.error = std::string("send failed: ") + (n < 0 ? std::strerror(errno) : "closed");
            return reply;
        }
        sent += static_cast<std::size_t>(n);
    }
    // Received into a buffer this thread keeps from one exchange to the next, and only the
    // body copied out: the client shares the processors with the server it measures, so it
    // neither clears nor moves more than it must.
    thread_local std::string data;
    if (data.size() < kFirstReceive) data.resize(kFirstReceive);
    std::size_t received = 0;
    while (received < kReplyLimit) {
        if (data.size() - received < kFirstReceive / 4) data.resize(data.size() * 2);
        const ssize_t n = ::recv(socket.fd(), data.data() + received, data.size() - received, 0);
        if (n == 0) break;
        if (n < 0) {
            reply.error = errno == EAGAIN || errno == EWOULDBLOCK
                              ? "no reply within " + std::to_string(timeout.count()) + " s"
                              : std::string("receive failed: ") + std::strerror(errno);
            return reply;
        }
        received += static_cast<std::size_t>(n);
    }
    const std::string_view whole(data.data(), received);
    const std::size_t headerEnd = whole.find("\r\n\r\n");
    if (whole.substr(0, 9) != "HTTP/1.1 " || headerEnd == std::string_view::npos) {
        reply.error = whole.empty() ? "closed without a reply" : "incomplete reply";
        return reply;
    }
    reply.status = std::atoi(data.c_str() + 9);
    reply.body.assign(whole.substr(headerEnd + 4));
    return reply;
}

std::string getRequest(const Endpoint& server, const std::string& path) {
    return "GET " + path + " HTTP/1.1\r\nHost: " + server.address + ":" + std::to_string(server.port) +
           "\r\nUser-Agent: " + kUserAgent + "\r\n\r\n";
}

std::string postRequest(const Endpoint& server, const std::string& path, const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nHost: " + server.address + ":" + std::to_string(server.port) +
           "\r\nUser-Agent: " + kUserAgent +
           "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string percentEncoded(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    static constexpr auto kKept = [] {
        std::array<bool, 256> kept{};
        for (int c = 0; c < 256; ++c) {
            kept[static_cast<std::size_t>(c)] = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                                                (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '.' ||
                                                c == '~';
        }
        return kept;
    }();
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (kKept[byte]) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

// ---- reading the pages --------------------------------------------------------------------

namespace {

// Where `pattern` first occurs in `text` from `from` on. The clients share the processors
// with the server they measure, and a page's markup is full of the first letters of the
// patterns sought in it ("n" of name=, "w" of window.): memmem skips ahead where a search
// for the first letter would stop at each one.
std::size_t findText(std::string_view text, std::string_view pattern, std::size_t from = 0) {
    if (from > text.size()) return std::string::npos;
    const void* found = ::memmem(text.data() + from, text.size() - from, pattern.data(), pattern.size());
    return found == nullptr ? std::string::npos
                            : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

}  // namespace

std::string between(std::string_view text, std::string_view open, std::string_view close, std::size_t from) {
    const std::size_t start = findText(text, open, from);
    if (start == std::string::npos) return "";
    const std::size_t stop = text.find(close, start + open.size());
    if (stop == std::string::npos) return "";
    return std::string(text.substr(start + open.size(), stop - start - open.size()));
}

std::optional<SubmitForm> readSubmitForm(const std::string& page) {
    // The form closes the page: sought from the end, it is found without reading the page.
    const std::size_t at = page.rfind("name=\"SubmitForm\"");
    if (at == std::string::npos) return std::nullopt;
    const std::size_t end = findText(page, "</form>", at);
    SubmitForm form;
    form.action = between(page, "action=\"", "\"", at);
    if (end == std::string::npos || form.action.empty()) return std::nullopt;
    const std::string_view text(page);
    const auto attribute = [](std::string_view tag, std::string_view open) {
        const std::size_t start = tag.find(open);
        if (start == std::string_view::npos) return std::string();
        const std::size_t stop = tag.find('"', start + open.size());
        if (stop == std::string_view::npos) return std::string();
        return std::string(tag.substr(start + open.size(), stop - start - open.size()));
    };
    for (std::size_t input = text.find("<input", at); input < end; input = text.find("<input", input + 1)) {
        const std::string_view tag = text.substr(input, text.find('>', input) - input);
        form.fields.emplace_back(attribute(tag, "name=\""), attribute(tag, "value=\""));
    }
    return form;
}

std::string formBody(const SubmitForm& form, const std::map<std::string, std::string>& values) {
    std::string body;
    for (const auto& [name, rendered] : form.fields) {
        const auto given = values.find(name);
        if (!body.empty()) body += '&';
        body += percentEncoded(name) + '=' + percentEncoded(given != values.end() ? given->second : rendered);
    }
    return body;
}

std::string clickRequest(const Endpoint& server, const std::string& page,
                         std::map<std::string, std::string> values) {
    const std::optional<SubmitForm> form = readSubmitForm(page);
    if (!form) return "";
    values.emplace("WF_ActionParam", "");
    values["WF_width"] = "1000";
    values["WF_height"] = "700";
    return postRequest(server, form->action, formBody(*form, values));
}

std::string pageText(const std::string& utf8) {
    return web::forms::EncodeForCharset(utf8, "gb2312");
}

std::string pageToUtf8(const std::string& text) {
    iconv_t converter = iconv_open("UTF-8", "GB18030");
    if (converter == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    iconv(converter, &in, &inLeft, &to, &outLeft);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

std::string shownText(const std::string& page) {
    for (const char* known : {"Session is already locked.", "Session not found. Session may have expired."}) {
        if (page.find(known) != std::string::npos) return known;
    }
    constexpr std::size_t kLength = 400;
    const std::size_t written = page.find("writeln(");  // an error page writes itself by script
    std::string text;
    bool inTag = false;
    for (std::size_t i = written == std::string::npos ? 0 : written; i < page.size() && text.size() < kLength;
         ++i) {
        const char c = page[i];
        if (c == '<' || c == '>') {
            inTag = c == '<';
            continue;
        }
        if (inTag) continue;
        const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (blank && (text.empty() || text.back() == ' ')) continue;
        text += blank ? ' ' : c;
    }
    return pageToUtf8(text);
}

std::string pageProblem(const Reply& reply, const std::string& expectedTitle) {
    constexpr std::string_view kLocked = "database is locked";
    if (reply.status == 0) return reply.error;
    if (reply.status != 200) {
        if (reply.body.find(kLocked) != std::string::npos) return std::string(kLocked);
        return "status " + std::to_string(reply.status) + ": " + shownText(reply.body);
    }
    // The page's errors reach the user as an alert among the scripts of its head, so only
    // the head is searched (the whole page when it has none).
    const std::size_t headEnd = findText(reply.body, "</head>");
    const std::string_view searched = std::string_view(reply.body).substr(0, headEnd);
    const std::string alert = between(searched, "window.alert(\"", "\");");
    if (alert.find(kLocked) != std::string::npos) return std::string(kLocked);
    if (!alert.empty()) return "alert \"" + pageToUtf8(alert) + "\"";
    if (expectedTitle.empty()) return "";
    // The title is in the page's head: compared where it stands, not searched for.
    thread_local std::string lastTitle;
    thread_local std::string lastTitleTag;
    if (lastTitle != expectedTitle) {
        lastTitle = expectedTitle;
        lastTitleTag = "<title>" + pageText(expectedTitle) + "</title>";
    }
    const std::size_t title = reply.body.find("<title>");
    if (title == std::string::npos || reply.body.compare(title, lastTitleTag.size(), lastTitleTag) != 0) {
        return "not the page \"" + expectedTitle + "\" but \"" +
               pageToUtf8(between(reply.body, "<title>", "</title>")) + "\"";
    }
    return "";
}

// ---- figures ------------------------------------------------------------------------------

Latencies summarize(std::vector<double> milliseconds) {
    Latencies figures;
    if (milliseconds.empty()) return figures;
    std::sort(milliseconds.begin(), milliseconds.end());
    const std::size_t n = milliseconds.size();
    // Nearest rank: the smallest time that at least `percent` % of the requests did not exceed.
    const auto at = [&](std::size_t percent) {
        const std::size_t rank = (n * percent + 99) / 100;
        return milliseconds[std::clamp<std::size_t>(rank, 1, n) - 1];
    };
    figures.count = n;
    figures.p50 = at(50);
    figures.p95 = at(95);
    figures.p99 = at(99);
    figures.max = milliseconds.back();
    return figures;
}

}  // namespace bench
