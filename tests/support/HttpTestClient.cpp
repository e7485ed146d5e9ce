#include "tests/support/HttpTestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "web/server/transport/Socket.h"
#include "web/server/Text.h"

namespace testing_support {
namespace {

web::Socket connectTo(int port) {
    web::Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    timeval timeout{10, 0};
    setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (::connect(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("cannot connect to the test server");
    }
    return socket;
}

HttpReply parseReply(const std::string& data) {
    HttpReply reply;
    std::size_t headerEnd = data.find("\r\n\r\n");
    if (data.empty() || headerEnd == std::string::npos) return reply;
    reply.answered = true;
    std::vector<std::string> lines = web::text::split(data.substr(0, headerEnd), '\n');
    reply.statusLine = web::text::trim(lines.front());
    reply.status = web::text::toIntDef(reply.statusLine.substr(9, 3), 0);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string line = web::text::trim(lines[i]);
        std::size_t colon = line.find(':');
        reply.headers.add(line.substr(0, colon), web::text::trim(line.substr(colon + 1)));
    }
    reply.body = data.substr(headerEnd + 4);
    return reply;
}

}  // namespace

HttpReply HttpTestClient::raw(const std::string& bytes, bool halfClose) const {
    web::Socket socket = connectTo(port_);
    ::send(socket.fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (halfClose) ::shutdown(socket.fd(), SHUT_WR);
    std::string data;
    char buffer[16384];
    while (true) {
        ssize_t got = ::recv(socket.fd(), buffer, sizeof buffer, 0);
        if (got <= 0) break;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    return parseReply(data);
}

HttpReply HttpTestClient::get(const std::string& path, const std::string& extraHeaders) const {
    return raw("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) +
               "\r\nUser-Agent: " + kChromeAgent + "\r\n" + extraHeaders + "\r\n");
}

HttpReply HttpTestClient::post(const std::string& path, const std::string& body,
                               const std::string& extraHeaders) const {
    return raw("POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) +
               "\r\nUser-Agent: " + kChromeAgent +
               "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n" + extraHeaders + "\r\n" + body);
}

}  // namespace testing_support
