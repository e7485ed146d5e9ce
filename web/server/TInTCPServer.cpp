#include "web/server/TInTCPServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <unordered_set>

namespace web {

// What the listener and the connection threads share; it outlives the server object
// when a connection thread is still finishing after Stop gave up waiting.
struct TInTCPServer::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    int active = 0;
    bool stopping = false;
    // The sockets of the connections being served, so Stop can end their reads.
    std::unordered_set<int> open;
};

EBindError EBindError::FromErrno(int error, const std::string& address, int port) {
    const std::string where = std::to_string(port);
    switch (error) {
        case EADDRINUSE:
            return EBindError(port);
        case EACCES:
        case EPERM:
            return EBindError(
                Cause::Permission, port,
                "Permission denied for port " + where + ": ports below 1024 need the right to bind them.");
        case EADDRNOTAVAIL:
            return EBindError(Cause::Address, port,
                              "The address " + address + " is not an address of this computer.");
        default:
            return EBindError(Cause::Other, port,
                              std::string(std::strerror(error)) + " (port " + where + ").");
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

namespace {

void setTimeouts(int fd, int seconds) {
    timeval timeout{seconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

std::string peerText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

}  // namespace

TInTCPServer::~TInTCPServer() { Stop(); }

void TInTCPServer::Start(const std::string& address, int port, ConnectionHandler handler) {
    handler_ = std::move(handler);
    shared_ = std::make_shared<Shared>();
    listener_ = Socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (listener_.fd() < 0) throw EBindError::FromErrno(errno, address, port);
    int yes = 1;
    setsockopt(listener_.fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        listener_ = Socket();
        throw EBindError::FromErrno(EADDRNOTAVAIL, address, port);
    }
    if (::bind(listener_.fd(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(listener_.fd(), kListenQueue) != 0) {
        const int error = errno;
        listener_ = Socket();
        throw EBindError::FromErrno(error, address, port);
    }
    socklen_t length = sizeof local;
    getsockname(listener_.fd(), reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(local.sin_port);
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

void TInTCPServer::acceptLoop() {
    std::shared_ptr<Shared> shared = shared_;
    while (true) {
        {
            std::unique_lock lock(shared->mutex);
            shared->changed.wait(lock, [&] { return shared->stopping || shared->active < kMaxConnections; });
            if (shared->stopping) return;
        }
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        int fd = ::accept4(listener_.fd(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE) {
                if (errno == EMFILE || errno == ENFILE) std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            return;  // the listener was shut down
        }
        setTimeouts(fd, kSocketTimeoutSeconds);
        serve(Socket(fd), peerText(peer));
    }
}

void TInTCPServer::serve(Socket connection, std::string peer) {
    std::shared_ptr<Shared> shared = shared_;
    int fd = connection.fd();
    {
        std::lock_guard lock(shared->mutex);
        ++shared->active;
        shared->open.insert(fd);
    }
    struct Work {
        Socket connection;
        std::string peer;
        ConnectionHandler handler;
        std::shared_ptr<Shared> shared;
    };
    auto work = std::make_unique<Work>(Work{std::move(connection), std::move(peer), handler_, shared});
    // A thread per connection with a modest stack: a full exam hall means many threads.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 512 * 1024);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto run = [](void* argument) -> void* {
        std::unique_ptr<Work> job(static_cast<Work*>(argument));
        try {
            job->handler(job->connection, job->peer);
        } catch (...) {
            // A failed connection ends quietly; the server goes on.
        }
        std::lock_guard lock(job->shared->mutex);
        // Closed under the lock: Stop never shuts down a descriptor number reused elsewhere.
        job->shared->open.erase(job->connection.fd());
        job->connection = Socket();
        --job->shared->active;
        job->shared->changed.notify_all();
        return nullptr;
    };
    pthread_t thread;
    if (pthread_create(&thread, &attributes, run, work.get()) == 0) {
        work.release();  // the thread owns it now
    } else {
        std::lock_guard lock(shared->mutex);
        shared->open.erase(fd);
        --shared->active;
    }
    pthread_attr_destroy(&attributes);
}

void TInTCPServer::Stop() {
    if (!shared_) return;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
        shared_->changed.notify_all();
    }
    if (listener_.fd() >= 0) ::shutdown(listener_.fd(), SHUT_RDWR);
    if (acceptThread_.joinable()) acceptThread_.join();
    listener_ = Socket();
    std::unique_lock lock(shared_->mutex);
    // A browser keeps spare connections open without sending anything; ending the reads
    // lets their threads finish at once. Replies being written still go out.
    for (int fd : shared_->open) ::shutdown(fd, SHUT_RD);
    shared_->changed.wait_for(lock, std::chrono::milliseconds(kStopWaitMilliseconds),
                              [&] { return shared_->active == 0; });
    lock.unlock();
    shared_.reset();
}

}  // namespace web
