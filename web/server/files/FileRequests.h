#pragma once

#include <string>

#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/dispatch/RequestContext.h"
#include "web/server/dispatch/Router.h"

namespace web {

// Answers the static kinds of request: application files (/files, /filesnc), generated
// cache files (/cache), internal images, scripts and style sheets (/gfx, /js, /css) and
// the site icon. Clears `cacheable` for replies that must not be kept. Returns the log
// line of the request.
std::string HandleFileRequest(const RequestContext& context, RequestKind kind, const std::string& firstArgument,
                              const std::string& remainingPath, bool& cacheable);

// The resource name an internal-file address asks for ("Tp.gif" -> "WF_GFX_Tp",
// "WFCommon.js_4.1.0" -> "WF_JS_WFCommon"; an unversioned script gives "WF_JS_").
std::string InternalResourceName(RequestKind kind, const std::string& firstArgument);

}  // namespace web
