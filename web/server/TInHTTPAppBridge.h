#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/TInTCPServer.h"

namespace web {

// Connects the TCP server to the application: reads one request per connection, hands
// it with a fresh response to the request handler (the dispatcher), writes the reply
// and closes the connection.
class TInHTTPAppBridge {
public:
    using RequestHandler = std::function<void(TInHTTPAppRequest&, TInHTTPAppResponse&)>;

    TInHTTPAppBridge() = default;
    ~TInHTTPAppBridge() { Stop(); }
    TInHTTPAppBridge(const TInHTTPAppBridge&) = delete;
    TInHTTPAppBridge& operator=(const TInHTTPAppBridge&) = delete;

    // Throws EBindError when the port cannot be bound.
    void Start(const std::string& address, int port, RequestHandler handler, std::string uploadFolder);
    void Stop() { server_.Stop(); }
    int Port() const { return server_.Port(); }
    // Bytes of reply bodies sent so far.
    std::uint64_t TotalBytes() const { return totalBytes_.load(); }

private:
    void serveConnection(Socket& connection, const std::string& peer);

    TInTCPServer server_;
    RequestHandler handler_;
    std::string uploadFolder_;
    std::atomic<std::uint64_t> totalBytes_{0};
};

}  // namespace web
