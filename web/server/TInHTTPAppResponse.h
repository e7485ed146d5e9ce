#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "web/server/ContentStream.h"
#include "web/server/FieldList.h"

namespace web {

using Clock = std::chrono::system_clock;
using TimePoint = Clock::time_point;

// The reply the dispatcher fills; the HTTP layer writes it.
struct TInHTTPAppResponse {
    int statusCode = 200;
    std::string reasonString;  // empty: the standard text of the status
    std::string contentType = "text/html";
    std::string content;
    std::unique_ptr<ContentStream> contentStream;
    std::int64_t contentLength = -1;
    std::string location;
    std::optional<TimePoint> date;
    std::optional<TimePoint> expires;
    std::optional<TimePoint> lastModified;
    FieldList customHeaders;  // name=value pairs, copied into the reply's header lines
    std::vector<std::string> cookies;
    bool sent = false;

    void setContent(std::string text) {
        content = std::move(text);
        contentLength = static_cast<std::int64_t>(content.size());
    }
    void setContentStream(std::unique_ptr<ContentStream> stream) {
        contentStream = std::move(stream);
        contentLength = contentStream ? static_cast<std::int64_t>(contentStream->size()) : -1;
    }
    // Status 302 with `Location`; the reply has no body of its own.
    void sendRedirect(std::string url) {
        statusCode = 302;
        location = std::move(url);
        sent = true;
    }
    bool hasContent() const { return !content.empty() || contentStream != nullptr; }
};

}  // namespace web
