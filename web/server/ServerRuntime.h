#pragma once

#include <functional>
#include <memory>

#include "web/server/dispatch/RequestContext.h"
#include "web/server/files/CachePurge.h"
#include "web/server/session/SessionExpiry.h"

namespace web {

// One web server without its network: its settings, its session table and the
// background threads that time sessions out and purge the cache folder. It answers
// requests handed to it; the stand-alone server feeds it from the network, tests call it
// directly. Destroying it stops the threads and frees the idle sessions; a request still
// being answered keeps what it uses alive (see ServerState).
class ServerRuntime {
public:
    using Handler = std::function<void(TInHTTPAppRequest&, TInHTTPAppResponse&)>;

    // `settings` must be loaded (TWFServerControllerBase::loaded).
    explicit ServerRuntime(std::unique_ptr<TWFServerControllerBase> settings);
    ~ServerRuntime();
    ServerRuntime(const ServerRuntime&) = delete;
    ServerRuntime& operator=(const ServerRuntime&) = delete;

    void dispatch(TInHTTPAppRequest& request, TInHTTPAppResponse& response) const;
    // A request handler for the network that shares ownership of the server's state.
    Handler handler() const;

    TWFServerControllerBase& settings() const { return *state_->settings; }
    std::shared_ptr<const ServerState> state() const { return state_; }
    SessionTable& sessions() const { return *state_->sessions; }
    // Installs the resumer asked about sessions that are not live (none: such requests get
    // the expired-session reply). Call before requests arrive.
    void setResumer(std::shared_ptr<SessionResumer> resumer);

    // Answers one request from `state`.
    static void Dispatch(const std::shared_ptr<const ServerState>& state, TInHTTPAppRequest& request,
                         TInHTTPAppResponse& response);

private:
    std::shared_ptr<ServerState> state_;
    std::unique_ptr<TSessionTimeoutThread> timeoutThread_;
    std::unique_ptr<TCachePurgeThread> purgeThread_;
};

}  // namespace web
