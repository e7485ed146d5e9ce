#include "web/server/transport/Socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace web {

Socket::~Socket() {
    if (fd_ >= 0) ::close(fd_);
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

Socket BindListener(const std::string& address, int port, int listenQueue, int& boundPort) {
    Socket listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (listener.fd() < 0) throw EBindError();
    int yes = 1;
    setsockopt(listener.fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
        ::bind(listener.fd(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(listener.fd(), listenQueue) != 0) {
        throw EBindError();
    }
    socklen_t length = sizeof local;
    getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&local), &length);
    boundPort = ntohs(local.sin_port);
    return listener;
}

}  // namespace web
