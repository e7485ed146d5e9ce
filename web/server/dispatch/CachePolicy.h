#pragma once

#include <chrono>

#include "web/server/HttpDate.h"
#include "web/server/TInHTTPAppResponse.h"

namespace web {

// Sets the caching headers of a finished reply. A cacheable reply gets "Expires" `expiry`
// after `now` (unless the reply set its own) and its "Last-Modified"; any other reply gets
// "Pragma: no-cache", loses a modification time and any "Expires", so browsers and
// proxies ask again. A content stream is rewound and gives the content length.
void ApplyCachePolicy(TInHTTPAppResponse& response, bool cacheable, std::chrono::minutes expiry,
                      TimePoint now = Clock::now());

}  // namespace web
