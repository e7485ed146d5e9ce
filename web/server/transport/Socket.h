#pragma once

#include <stdexcept>
#include <string>

namespace web {

// The port could not be bound: in use, refused for want of privilege, or another cause.
// The message names the cause; cause() lets the host add how to mend it.
class EBindError : public std::runtime_error {
public:
    enum class Cause { InUse, Permission, Address, Other };

    explicit EBindError(int port = -1) : EBindError(Cause::InUse, port, "Address and port are already in use.") {}
    // From the error number of the failed socket, bind or listen call.
    static EBindError FromErrno(int error, const std::string& address, int port);

    Cause cause() const { return cause_; }
    // The port asked for; -1 when not known.
    int port() const { return port_; }

private:
    EBindError(Cause cause, int port, const std::string& reason)
        : std::runtime_error("Could not bind socket. " + reason), cause_(cause), port_(port) {}

    Cause cause_;
    int port_;
};

// An open socket, closed when the owner lets go of it.
class Socket {
public:
    explicit Socket(int fd = -1) : fd_(fd) {}
    ~Socket();
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int fd() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// A hall of candidates opening the start page together connects far faster than
// connections are taken from the queue; connections that find the queue full are dropped
// and their browsers try again only after one, three, seven seconds. The system may cap
// the queue lower (net.core.somaxconn).
inline constexpr int kListenQueue = 16384;

// A listening socket on one IPv4 address and port (0: the system chooses; the port bound is
// stored in `boundPort`). Throws EBindError when the address cannot be bound.
Socket BindListener(const std::string& address, int port, int listenQueue, int& boundPort);

}  // namespace web
