#include "web/server/TInHTTPAppBridge.h"

#include <sys/socket.h>

#include <cerrno>
#include <system_error>

#include "web/server/TInCustomHTTPServer.h"

namespace web {
namespace {

class SocketSource : public ByteSource {
public:
    explicit SocketSource(int fd) : fd_(fd) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        while (true) {
            ssize_t got = ::recv(fd_, buffer, capacity, 0);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "recv");
        }
    }

private:
    int fd_;
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
