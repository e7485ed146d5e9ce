// Feeds arbitrary bytes to the request parser, once whole and once in pieces, and checks
// that the pieces make no difference: a connection's bytes arrive split wherever the
// network splits them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "web/server/http/RequestParser.h"

namespace {

using web::RequestParser;

struct Outcome {
    RequestParser::State state;
    std::optional<web::TInHTTPAppRequest> request;
};

Outcome parse(std::string_view bytes, std::size_t piece) {
    RequestParser parser;
    for (std::size_t at = 0; at < bytes.size() && parser.state() == RequestParser::State::NeedMore;
         at += piece) {
        parser.feed(bytes.substr(at, piece));
    }
    if (parser.state() == RequestParser::State::NeedMore) parser.finish();
    RequestParser::State state = parser.state();
    return {state, parser.take({"127.0.0.1", 89, ""})};
}

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the piece size; the rest is the connection's bytes.
    std::size_t piece = 1 + data[0] % 17;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    Outcome whole = parse(bytes, bytes.size() + 1);
    Outcome pieces = parse(bytes, piece);
    require(whole.state == pieces.state);
    require(whole.request.has_value() == pieces.request.has_value());
    if (whole.request) {
        require(whole.request->method == pieces.request->method);
        require(whole.request->path == pieces.request->path);
        require(whole.request->body == pieces.request->body);
        require(whole.request->headers.lineCount() == pieces.request->headers.lineCount());
        require(whole.request->body.size() <= RequestParser::kMaxBodyLength);
        require(whole.request->headers.lineCount() <= RequestParser::kMaxHeaderLines);
    }
    return 0;
}
