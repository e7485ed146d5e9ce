#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace web {

// The port could not be bound: in use, refused for want of privilege, or another cause.
// The message names the cause; Cause() lets the host add how to mend it.
class EBindError : public std::runtime_error {
public:
    enum class Cause { InUse, Permission, Address, Other };

    explicit EBindError(int port = -1)
        : EBindError(Cause::InUse, port, "Address and port are already in use.") {}
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

// Listens on one IPv4 address and port and serves every accepted connection on a thread
// of its own. At most kMaxConnections are served at once; further clients wait in the
// listen queue. A silent client is dropped after the socket time-out.
class TInTCPServer {
public:
    using ConnectionHandler = std::function<void(Socket& connection, const std::string& peerAddress)>;

    // A hall of candidates opening the start page together connects far faster than the
    // one accept loop takes connections; connections that find the queue full are dropped
    // and their browsers try again only after one, three, seven seconds. The system may
    // cap the queue lower (net.core.somaxconn).
    static constexpr int kListenQueue = 4096;
    static constexpr int kMaxConnections = 1024;
    static constexpr int kSocketTimeoutSeconds = 30;
    static constexpr int kStopWaitMilliseconds = 5000;

    TInTCPServer() = default;
    ~TInTCPServer();
    TInTCPServer(const TInTCPServer&) = delete;
    TInTCPServer& operator=(const TInTCPServer&) = delete;

    // Binds (throws EBindError) and starts the listener thread.
    void Start(const std::string& address, int port, ConnectionHandler handler);
    // Closes the listener and waits a while for the connections being served.
    void Stop();
    // The port actually bound (the system's choice when started on port 0).
    int Port() const { return port_; }

private:
    struct Shared;
    void acceptLoop();
    void serve(Socket connection, std::string peer);

    Socket listener_;
    int port_ = 0;
    ConnectionHandler handler_;
    std::thread acceptThread_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace web
