#include "web/server/transport/Socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace web {

EBindError EBindError::FromErrno(int error, const std::string& address, int port) {
    const std::string where = std::to_string(port);
    switch (error) {
        case EADDRINUSE: return EBindError(port);
        case EACCES:
        case EPERM:
            return EBindError(Cause::Permission, port,
                              "Permission denied for port " + where + ": ports below 1024 need the right to bind them.");
        case EADDRNOTAVAIL:
            return EBindError(Cause::Address, port, "The address " + address + " is not an address of this computer.");
        default: return EBindError(Cause::Other, port, std::string(std::strerror(error)) + " (port " + where + ").");
    }
}

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
    if (listener.fd() < 0) throw EBindError::FromErrno(errno, address, port);
    int yes = 1;
    setsockopt(listener.fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        throw EBindError::FromErrno(EADDRNOTAVAIL, address, port);
    }
    if (::bind(listener.fd(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(listener.fd(), listenQueue) != 0) {
        throw EBindError::FromErrno(errno, address, port);
    }
    socklen_t length = sizeof local;
    getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&local), &length);
    boundPort = ntohs(local.sin_port);
    return listener;
}

}  // namespace web
