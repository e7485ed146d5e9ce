#include "web/server/dispatch/CachePolicy.h"

namespace web {

void ApplyCachePolicy(TInHTTPAppResponse& response, bool cacheable, std::chrono::minutes expiry,
                      TimePoint now) {
    TimePoint expires;
    if (cacheable) {
        expires = now + expiry;
    } else {
        response.lastModified.reset();
        response.customHeaders.add("Pragma", "no-cache");
        expires = now - std::chrono::hours(24);
    }
    if (expires >= now) {
        if (!response.customHeaders.contains("Expires"))
            response.customHeaders.add("Expires", formatHttpDate(expires));
    } else if (int at = response.customHeaders.indexOf("Expires"); at >= 0) {
        response.customHeaders.erase(static_cast<std::size_t>(at));
    }
    if (response.lastModified) {
        response.customHeaders.add("Last-Modified", formatHttpDate(*response.lastModified));
        response.lastModified.reset();
    }
    if (response.contentStream) {
        response.contentStream->rewind();
        response.contentLength = static_cast<std::int64_t>(response.contentStream->size());
    }
}

}  // namespace web
