#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <string>
#include <thread>

#include "host/HttpGet.h"
#include "web/server/transport/Socket.h"

namespace host {
namespace {

using namespace std::chrono_literals;

web::Socket listenOnLoopback(int& port) {
    web::Socket listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (::bind(listener.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.fd(), 4) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    socklen_t length = sizeof address;
    ::getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

// Serves one connection on 127.0.0.1: reads the request head and answers `reply`, or,
// when `reply` is empty, stays silent until the client goes. Gives up after ten seconds.
class OneReplyServer {
public:
    explicit OneReplyServer(std::string reply)
        : listener_(listenOnLoopback(port_)), reply_(std::move(reply)) {
        thread_ = std::thread([this] { serve(); });
    }
    ~OneReplyServer() {
        if (thread_.joinable()) thread_.join();
    }

    int port() const { return port_; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    // What the client sent; read it after the client call returned.
    std::string request() {
        thread_.join();
        return request_;
    }

private:
    void serve() {
        pollfd entry{listener_.fd(), POLLIN, 0};
        if (::poll(&entry, 1, 10000) != 1) return;
        web::Socket connection(::accept(listener_.fd(), nullptr, nullptr));
        timeval timeout{10, 0};
        setsockopt(connection.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        char buffer[4096];
        while (request_.find("\r\n\r\n") == std::string::npos || reply_.empty()) {
            ssize_t got = ::recv(connection.fd(), buffer, sizeof buffer, 0);
            if (got <= 0) return;
            request_.append(buffer, static_cast<std::size_t>(got));
        }
        ::send(connection.fd(), reply_.data(), reply_.size(), MSG_NOSIGNAL);
    }

    int port_ = 0;
    web::Socket listener_;
    std::string reply_;
    std::string request_;
    std::thread thread_;
};

TEST(HttpGetTest, ReturnsTheBodyOfA200Reply) {
    OneReplyServer server("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n1.2\r\nupgrade\r\n");
    EXPECT_EQ(HttpGet(server.url("/zxtest/testver.txt")), "1.2\r\nupgrade\r\n");
}

TEST(HttpGetTest, SendsAnHttp10GetWithTheClientsHeaders) {
    OneReplyServer server("HTTP/1.0 200 OK\r\n\r\n");
    HttpGet(server.url("/zxtest/testver.txt?x=1#part"));
    std::string host = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(server.request(), "GET /zxtest/testver.txt?x=1 HTTP/1.0\r\nHost: " + host +
                                    "\r\nContent-Type: text/html\r\nAccept: text/html, */*\r\n"
                                    "User-Agent: Mozilla/3.0 (compatible; TesselHTTP)\r\n\r\n");
}

TEST(HttpGetTest, ContentLengthBoundsTheBody) {
    OneReplyServer server("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n1.2 and more");
    EXPECT_EQ(HttpGet(server.url("/")), "1.2");
}

TEST(HttpGetTest, FailuresRaise) {
    struct Case {
        const char* name;
        const char* reply;
    };
    for (const Case& failure :
         {Case{"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"},
          Case{"redirect", "HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\n\r\n"},
          Case{"server error", "HTTP/1.0 500 Internal Server Error\r\n\r\n"},
          Case{"not http", "1.2\r\nupgrade\r\n\r\n"},
          Case{"no header end", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n"},
          Case{"cut short", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n1.2"},
          Case{"bad length", "HTTP/1.1 200 OK\r\nContent-Length: many\r\n\r\n1.2"}}) {
        OneReplyServer server(failure.reply);
        EXPECT_THROW(HttpGet(server.url("/zxtest/testver.txt")), EHttpGetError) << failure.name;
    }
}

TEST(HttpGetTest, RefusedConnectionRaises) {
    int port = 0;
    { web::Socket closed = listenOnLoopback(port); }
    EXPECT_THROW(HttpGet("http://127.0.0.1:" + std::to_string(port) + "/"), EHttpGetError);
}

TEST(HttpGetTest, BadAddressesRaise) {
    for (const char* url :
         {"", "https://127.0.0.1/", "ftp://127.0.0.1/", "http://", "http://:80/", "http://127.0.0.1:0/",
          "http://127.0.0.1:65536/", "http://127.0.0.1:+80/", "http://127.0.0.1:x/", "http://user@127.0.0.1/",
          "http://127.0.0.1/a b", "http://[::1/", "http://[::1]x/"}) {
        EXPECT_THROW(HttpGet(url), EHttpGetError) << url;
    }
}

TEST(HttpGetTest, SilentServerEndsAtTheTimeOut) {
    OneReplyServer server("");
    EXPECT_THROW(HttpGet(server.url("/"), {}, 200ms), EHttpGetError);
}

TEST(HttpGetTest, StopRequestEndsAWait) {
    OneReplyServer server("");
    std::stop_source stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    EXPECT_THROW(HttpGet(server.url("/"), stop.get_token()), EHttpGetError);
    stopper.join();
}

}  // namespace
}  // namespace host
