#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/transport/Socket.h"
#include "web/server/transport/ConnectionLoop.h"

namespace web {

// Connects the network to the application: binds the port and serves it with a
// connection loop whose workers hand each complete request with a fresh response to the
// request handler (the dispatcher); the loop writes the reply and closes the connection.
class TInHTTPAppBridge {
public:
    using RequestHandler = std::function<void(TInHTTPAppRequest&, TInHTTPAppResponse&)>;

    TInHTTPAppBridge() = default;
    ~TInHTTPAppBridge() { Stop(); }
    TInHTTPAppBridge(const TInHTTPAppBridge&) = delete;
    TInHTTPAppBridge& operator=(const TInHTTPAppBridge&) = delete;

    // Throws EBindError when the port cannot be bound. `workers` requests are served at
    // once; connections beyond them cost no thread.
    void Start(const std::string& address, int port, RequestHandler handler, std::string uploadFolder,
               std::size_t workers = 32, ConnectionLimits limits = {});
    void Stop() {
        if (loop_) loop_->Stop();
    }
    int Port() const { return port_; }
    // Bytes of reply bodies sent so far.
    std::uint64_t TotalBytes() const { return loop_ ? loop_->TotalBytes() : 0; }
    // Connections open now.
    std::size_t OpenConnections() const { return loop_ ? loop_->OpenConnections() : 0; }

private:
    int port_ = 0;
    std::unique_ptr<ConnectionLoop> loop_;
};

}  // namespace web
