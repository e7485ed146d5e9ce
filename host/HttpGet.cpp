#include "host/HttpGet.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "web/server/transport/Socket.h"
#include "web/server/Text.h"

namespace host {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks at the stop request.
constexpr std::chrono::milliseconds kStopCheckInterval{100};

struct HttpAddress {
    std::string host;  // without the brackets of an IPv6 literal
    std::string port = "80";
    std::string hostHeader;  // host and port as written in the address
    std::string path = "/";
};

[[noreturn]] void fail(const std::string& message) {
    throw EHttpGetError(message);
}

bool validPort(std::string_view port) {
    std::int64_t number = 0;
    return !port.empty() && port.front() != '+' && port.front() != '-' &&
           web::text::parseInt64(port, number) && number >= 1 && number <= 65535;
}

void splitHostAndPort(std::string_view authority, HttpAddress& address) {
    std::size_t portColon = std::string_view::npos;
    if (!authority.empty() && authority.front() == '[') {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos) fail("Bad address: unclosed [");
        address.host = std::string(authority.substr(1, close - 1));
        if (close + 1 < authority.size() && authority[close + 1] != ':') fail("Bad address: text after ]");
        if (close + 1 < authority.size()) portColon = close + 1;
    } else {
        portColon = authority.find(':');
        address.host = std::string(authority.substr(0, portColon));
    }
    if (address.host.empty()) fail("Bad address: no host");
    if (portColon == std::string_view::npos) return;
    std::string_view port = authority.substr(portColon + 1);
    if (!validPort(port)) fail("Bad address: bad port");
    address.port = std::string(port);
}

HttpAddress parseAddress(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    if (!web::text::startsWithNoCase(url, kScheme))
        fail("Only http:// addresses can be fetched: " + std::string(url));
    for (char c : url) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f)
            fail("Bad address: blank or control character");
    }
    std::string_view rest = url.substr(kScheme.size());
    rest = rest.substr(0, rest.find('#'));
    std::size_t pathStart = rest.find_first_of("/?");
    std::string_view authority = rest.substr(0, pathStart);
    if (authority.find('@') != std::string_view::npos) fail("Bad address: user names are not supported");
    HttpAddress address;
    splitHostAndPort(authority, address);
    address.hostHeader = std::string(authority);
    if (pathStart != std::string_view::npos) {
        address.path = std::string(rest.substr(pathStart));
        if (address.path.front() == '?') address.path.insert(0, "/");
    }
    return address;
}

// Waits until the socket is ready for `events`; throws on time-out, stop or poll error.
void waitFor(int fd, short events, Clock::time_point deadline, const std::stop_token& stop) {
    while (true) {
        if (stop.stop_requested()) fail("The request was cancelled");
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0) fail("The request timed out");
        pollfd entry{fd, events, 0};
        int ready = ::poll(&entry, 1, static_cast<int>(std::min(remaining, kStopCheckInterval).count()));
        if (ready > 0) return;
        if (ready < 0 && errno != EINTR) fail(std::string("poll failed: ") + std::strerror(errno));
    }
}

// Returns 0 when connected, else the errno of the attempt.
int tryConnect(const addrinfo& candidate, web::Socket& socket, Clock::time_point deadline,
               const std::stop_token& stop) {
    socket = web::Socket(::socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                  candidate.ai_protocol));
    if (socket.fd() < 0) return errno;
    if (::connect(socket.fd(), candidate.ai_addr, candidate.ai_addrlen) == 0) return 0;
    if (errno != EINPROGRESS) return errno;
    waitFor(socket.fd(), POLLOUT, deadline, stop);
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
}

web::Socket connectTo(const HttpAddress& address, Clock::time_point deadline, const std::stop_token& stop) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int status = ::getaddrinfo(address.host.c_str(), address.port.c_str(), &hints, &found);
    if (status != 0) fail("Cannot resolve " + address.host + ": " + ::gai_strerror(status));
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);
    int error = 0;
    for (const addrinfo* candidate = list.get(); candidate != nullptr; candidate = candidate->ai_next) {
        web::Socket socket;
        error = tryConnect(*candidate, socket, deadline, stop);
        if (error == 0) return socket;
    }
    fail("Cannot connect to " + address.hostHeader + ": " + std::strerror(error));
}

void sendAll(int fd, std::string_view data, Clock::time_point deadline, const std::stop_token& stop) {
    while (!data.empty()) {
        waitFor(fd, POLLOUT, deadline, stop);
        ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (sent < 0) fail(std::string("Sending the request failed: ") + std::strerror(errno));
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
}

// Reads until the server closes the connection.
std::string receiveAll(int fd, Clock::time_point deadline, const std::stop_token& stop) {
    std::string reply;
    char buffer[16384];
    while (true) {
        waitFor(fd, POLLIN, deadline, stop);
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got == 0) return reply;
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) fail(std::string("Reading the reply failed: ") + std::strerror(errno));
        reply.append(buffer, static_cast<std::size_t>(got));
        if (reply.size() > kMaxHttpGetReply) fail("The reply is too large");
    }
}

std::string requestText(const HttpAddress& address) {
    return "GET " + address.path + " HTTP/1.0\r\nHost: " + address.hostHeader +
           "\r\nContent-Type: text/html\r\nAccept: " + kHttpGetAccept +
           "\r\nUser-Agent: " + kHttpGetUserAgent + "\r\n\r\n";
}

// The value of Content-Length among the header lines, or -1 when absent.
std::int64_t contentLength(const std::vector<std::string>& headerLines) {
    for (std::size_t i = 1; i < headerLines.size(); ++i) {
        std::string line = web::text::trim(headerLines[i]);
        if (!web::text::startsWithNoCase(line, "Content-Length:")) continue;
        std::int64_t length = -1;
        if (!web::text::parseInt64(web::text::trim(line.substr(15)), length) || length < 0) {
            fail("The reply has a bad Content-Length");
        }
        return length;
    }
    return -1;
}

std::string bodyOf(const std::string& reply) {
    std::size_t end = reply.find("\r\n\r\n");
    std::size_t separator = 4;
    if (end == std::string::npos) {
        end = reply.find("\n\n");
        separator = 2;
    }
    if (end == std::string::npos) fail("The reply has no complete header");
    std::vector<std::string> lines = web::text::split(std::string_view(reply).substr(0, end), '\n');
    std::string statusLine = web::text::trim(lines.front());
    std::vector<std::string> words = web::text::split(statusLine, ' ');
    if (words.size() < 2 || !web::text::startsWithNoCase(words[0], "HTTP/")) fail("The reply is not HTTP");
    if (words[1] != "200") fail(statusLine);
    std::string body = reply.substr(end + separator);
    std::int64_t length = contentLength(lines);
    if (length < 0) return body;
    if (static_cast<std::uint64_t>(length) > body.size())
        fail("The connection closed before the whole reply");
    body.resize(static_cast<std::size_t>(length));
    return body;
}

}  // namespace

std::string HttpGet(const std::string& url, std::stop_token stop, std::chrono::milliseconds timeout) {
    HttpAddress address = parseAddress(url);
    Clock::time_point deadline = Clock::now() + timeout;
    web::Socket socket = connectTo(address, deadline, stop);
    sendAll(socket.fd(), requestText(address), deadline, stop);
    return bodyOf(receiveAll(socket.fd(), deadline, stop));
}

}  // namespace host
