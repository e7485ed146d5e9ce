#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "web/server/FieldList.h"
#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"

namespace web {

// Where request bytes come from (a socket, or a text in tests). read() returns 0 at the
// end of the data and throws on a failed connection.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
};

// Where reply bytes go. write() throws when the peer is gone.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

// The HTTP/1.1 subset of the server: one request per connection, the reply always
// closes it. Lines and bodies are bounded so that no client can make the server hold
// unbounded memory.
class TInCustomHTTPServer {
public:
    static constexpr std::size_t kMaxLineLength = 16384;
    static constexpr std::size_t kMaxHeaderLines = 1024;
    static constexpr std::size_t kMaxBodyLength = 16 * 1024 * 1024;
    static constexpr const char* kServerName = "TesselHTTP/1.0";

    struct Connection {
        std::string peerAddress;
        int localPort = 0;
        std::string uploadFolder;  // where uploaded files are written
    };

    // Reads and parses one request. Returns false when the connection must be closed
    // without a reply (malformed or over-long request, unsupported method or scheme).
    static bool ReadRequest(ByteSource& source, const Connection& connection, TInHTTPAppRequest& request);

    // Writes the status line, headers and (unless HEAD or 304) the body of `response`.
    static void WriteReply(ByteSink& sink, TInHTTPAppResponse& response, bool headRequest);

    // The header block of a reply, with the content length it announces.
    static std::string ReplyHeader(const TInHTTPAppResponse& response, std::int64_t contentLength);

    static std::string ReasonText(int status);
};

// "+" becomes a blank and every "%" with two hexadecimal digits that byte.
std::string PercentDecode(std::string_view text, bool plusAsBlank);
// Splits "a=1&b=2" at "&" and decodes each piece into `fields`.
void DecodeFormFields(std::string_view text, FieldList& fields);

}  // namespace web
