#include "web/server/ServerRuntime.h"

#include "web/server/ErrorPage.h"
#include "web/server/dispatch/TWFServer.h"

namespace web {

ServerRuntime::ServerRuntime(std::unique_ptr<TWFServerControllerBase> settings)
    : state_(std::make_shared<ServerState>()) {
    SessionAddressRule rule{settings->RestrictIPs, settings->RestrictSubnet};
    state_->settings = std::shared_ptr<TWFServerControllerBase>(std::move(settings));
    state_->sessions = std::make_shared<SessionTable>(rule);
    const TWFServerControllerBase& values = *state_->settings;
    timeoutThread_ = std::make_unique<TSessionTimeoutThread>(*state_->sessions, values.SessionCheckInterval);
    purgeThread_ = std::make_unique<TCachePurgeThread>(
        values.cacheFolder(), std::chrono::minutes(values.CacheExpiry), values.CachePurgeInterval);
}

// Shutting down stops the background threads and frees every idle session; the cache
// folder goes with the settings.
ServerRuntime::~ServerRuntime() {
    timeoutThread_->stop();
    purgeThread_->stop();
    state_->sessions->freeIdle();
}

void ServerRuntime::setResumer(std::shared_ptr<SessionResumer> resumer) {
    state_->resumer = std::move(resumer);
}

void ServerRuntime::dispatch(TInHTTPAppRequest& request, TInHTTPAppResponse& response) const {
    Dispatch(state_, request, response);
}

ServerRuntime::Handler ServerRuntime::handler() const {
    std::shared_ptr<const ServerState> state = state_;
    return [state](TInHTTPAppRequest& request, TInHTTPAppResponse& response) {
        Dispatch(state, request, response);
    };
}

void ServerRuntime::Dispatch(const std::shared_ptr<const ServerState>& state, TInHTTPAppRequest& request,
                             TInHTTPAppResponse& response) {
    RequestContext context{state, request, response};
    RequestSettingsScope settings(state->settings.get());
    // Pages the application serves outside every session (its built-in vendor site).
    const auto& siteRequest = state->settings->OnSiteRequest;
    try {
        if (siteRequest && siteRequest(request, response, *state->sessions)) return;
    } catch (...) {
        return WriteErrorReply(state->settings.get(), std::current_exception(), request, response);
    }
    TWFServer(context).Dispatch();
}

}  // namespace web
