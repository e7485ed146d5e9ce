#include "web/server/TInHTTPAppBridge.h"

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <system_error>

#include "web/server/TInCustomHTTPServer.h"

namespace web {
namespace {

// Reads a request that must be complete within the socket time-out as a whole, so a
// client that trickles bytes cannot hold its thread for ever.
class SocketSource : public ByteSource {
public:
    explicit SocketSource(int fd)
        : fd_(fd), deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(TInTCPServer::kSocketTimeoutSeconds)) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        while (true) {
            auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline_ - std::chrono::steady_clock::now());
            if (left.count() <= 0) throw std::system_error(ETIMEDOUT, std::generic_category(), "request time-out");
            timeval timeout{static_cast<time_t>(left.count() / 1000000), static_cast<suseconds_t>(left.count() % 1000000)};
            setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            ssize_t got = ::recv(fd_, buffer, capacity, 0);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "recv");
        }
    }

private:
    int fd_;
    std::chrono::steady_clock::time_point deadline_;
};

class SocketSink : public ByteSink {
public:
    explicit SocketSink(int fd) : fd_(fd) {}
    void write(std::string_view bytes) override {
        while (!bytes.empty()) {
            ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR) continue;
            if (sent <= 0) throw std::system_error(errno, std::generic_category(), "send");
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
    }

private:
    int fd_;
};

}  // namespace

void TInHTTPAppBridge::Start(const std::string& address, int port, RequestHandler handler, std::string uploadFolder) {
    handler_ = std::move(handler);
    uploadFolder_ = std::move(uploadFolder);
    server_.Start(address, port, [this](Socket& connection, const std::string& peer) {
        serveConnection(connection, peer);
    });
}

void TInHTTPAppBridge::serveConnection(Socket& connection, const std::string& peer) {
    SocketSource source(connection.fd());
    TInHTTPAppRequest request;
    TInCustomHTTPServer::Connection info{peer, server_.Port(), uploadFolder_};
    if (!TInCustomHTTPServer::ReadRequest(source, info, request)) return;
    TInHTTPAppResponse response;
    try {
        handler_(request, response);
    } catch (const std::exception& error) {
        response = TInHTTPAppResponse{};
        response.statusCode = 500;
        response.setContent(error.what());
    }
    SocketSink sink(connection.fd());
    TInCustomHTTPServer::WriteReply(sink, response, request.isHead());
    totalBytes_ += response.contentStream ? response.contentStream->size() : response.content.size();
    ::shutdown(connection.fd(), SHUT_WR);
}

}  // namespace web
