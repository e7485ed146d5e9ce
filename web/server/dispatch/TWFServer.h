#pragma once

#include "web/server/dispatch/RequestContext.h"
#include "web/server/dispatch/Router.h"

namespace web {

// The request dispatcher: one instance per request. The router reads what kind of
// request it is; the dispatcher hands it to the session start, the page-request workflow
// or the file requests, answers stop, ping and unknown words itself, turns errors into
// error pages and finally applies the cache policy.
class TWFServer {
public:
    explicit TWFServer(const RequestContext& context) : context_(context) {}
    void Dispatch();

    using Kind = RequestKind;

private:
    void dispatchKind();
    void stopRequest();
    void pingRequest();
    void unrecognizedCommand();

    const RequestContext& context_;
    RoutedRequest routed_;
    bool cacheable_ = true;
};

}  // namespace web
