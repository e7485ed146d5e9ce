#pragma once

#include <cstdint>
#include <string>

#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/http/ByteStreams.h"
#include "web/server/http/FormDecoding.h"
#include "web/server/http/ReplyWriter.h"
#include "web/server/http/RequestParser.h"

namespace web {

// The HTTP/1.1 subset of the server over a blocking byte source: one request per
// connection, the reply always closes it. Reading is done by RequestParser and writing by
// ReplyWriter; this class joins them to a stream for callers that read a connection to its
// end on one thread.
class TInCustomHTTPServer {
public:
    static constexpr std::size_t kMaxLineLength = RequestParser::kMaxLineLength;
    static constexpr std::size_t kMaxHeaderLines = RequestParser::kMaxHeaderLines;
    static constexpr std::size_t kMaxBodyLength = RequestParser::kMaxBodyLength;
    static constexpr const char* kServerName = ReplyWriter::kServerName;

    using Connection = RequestOrigin;

    // Reads and parses one request. Returns false when the connection must be closed
    // without a reply (malformed or over-long request, unsupported method or scheme).
    static bool ReadRequest(ByteSource& source, const Connection& connection, TInHTTPAppRequest& request);

    // Writes the status line, headers and (unless HEAD or 304) the body of `response`.
    static void WriteReply(ByteSink& sink, TInHTTPAppResponse& response, bool headRequest) {
        ReplyWriter::Write(sink, response, headRequest);
    }

    // The header block of a reply, with the content length it announces.
    static std::string ReplyHeader(const TInHTTPAppResponse& response, std::int64_t contentLength) {
        return ReplyWriter::Header(response, contentLength);
    }

    static std::string ReasonText(int status) { return ReplyWriter::ReasonText(status); }
};

}  // namespace web
