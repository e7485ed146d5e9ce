#pragma once

#include "web/server/dispatch/RequestContext.h"
#include "web/server/dispatch/Router.h"

namespace web {

// Answers a start request ("/"): creates the session, enters it into the table held by
// this request, runs the new-session hook, shows the start page and answers with the
// size-probe page (or a redirect for pages that cannot take it). Fails when the server
// holds as many sessions as it may.
void StartSession(const RequestContext& context, const RoutedRequest& routed);

}  // namespace web
