#pragma once

#include <cstdint>
#include <string>

#include "web/server/TInHTTPAppResponse.h"
#include "web/server/http/ByteStreams.h"

namespace web {

// Writes replies in the one form the server sends: HTTP/1.1, "Connection: close", the
// length of what is actually sent.
class ReplyWriter final {
public:
    static constexpr const char* kServerName = "TesselHTTP/1.0";

    // Writes the status line, headers and (unless HEAD or 304) the body of `response`.
    static void Write(ByteSink& sink, TInHTTPAppResponse& response, bool headRequest);

    // The bytes of a reply that come before its content stream: the header block and,
    // unless HEAD or 304, the body text. `streamFollows` tells whether the body is instead
    // the content stream (rewound, ready to be read to its end).
    static std::string Prefix(TInHTTPAppResponse& response, bool headRequest, bool& streamFollows);

    // The header block of a reply, with the content length it announces (none when < 0).
    static std::string Header(const TInHTTPAppResponse& response, std::int64_t contentLength);

    static std::string ReasonText(int status);
};

}  // namespace web
