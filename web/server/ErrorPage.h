#pragma once

#include <exception>
#include <string>

#include "web/server/FieldList.h"
#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/TWFServerControllerBase.h"

namespace web {

// The page that tells the browser an error stopped the application: the error template
// filled with the message (escaped), the advice for the kind of error and the restart
// link. Unless `scriptWrapped` is false the page is written through a script into the
// top window, so it also replaces a page shown in a frame. `settings` (the server's; null
// where there is none) give the template, the addresses and the time-out.
std::string BuildErrorPage(const TWFServerControllerBase* settings, const std::string& message,
                           bool sessionExpired, bool scriptWrapped, const FieldList& extra = {});

// Turns an error caught by the dispatcher into the reply: the server-error page (status
// 500 "Server error"), or for browsers the application cannot serve the page with
// status 200. Whatever the response held before is discarded.
void WriteErrorReply(const TWFServerControllerBase* settings, std::exception_ptr error,
                     const TInHTTPAppRequest& request, TInHTTPAppResponse& response);

}  // namespace web
