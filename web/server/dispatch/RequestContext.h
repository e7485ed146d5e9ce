#pragma once

#include <memory>

#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/session/SessionTable.h"

namespace web {

class SessionResumer;

// What the requests of one server share. Requests hold it by shared ownership, so one
// that is still being answered when its server stops finds its settings and session
// table whole; they go when the last request and the server have let go of them.
struct ServerState {
    std::shared_ptr<TWFServerControllerBase> settings;
    std::shared_ptr<SessionTable> sessions;
    // Asked for sessions that a request names but the table does not hold; may be empty.
    std::shared_ptr<SessionResumer> resumer;
};

// Everything one request is answered from, carried down the request path instead of
// being looked up in process-wide state.
struct RequestContext {
    std::shared_ptr<const ServerState> state;
    TInHTTPAppRequest& request;
    TInHTTPAppResponse& response;

    TWFServerControllerBase& settings() const { return *state->settings; }
    SessionTable& sessions() const { return *state->sessions; }
    SessionResumer* resumer() const { return state->resumer.get(); }
};

}  // namespace web
