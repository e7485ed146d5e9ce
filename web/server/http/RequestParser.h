#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "web/server/TInHTTPAppRequest.h"

namespace web {

// Where a request came from and where its uploads go.
struct RequestOrigin {
    std::string peerAddress;
    int localPort = 0;
    std::string uploadFolder;
};

// Reads one HTTP request from bytes as they arrive, in whatever pieces the network
// delivers them, so a caller that waits on many connections at once can feed each its
// bytes and learn when its request is complete. Every part is bounded: lines, header
// count and body, so no client can make the server hold unbounded memory.
//
//     RequestParser parser;
//     while (parser.state() == RequestParser::State::NeedMore) {
//         got = read(...);
//         got == 0 ? parser.finish() : parser.feed({buffer, got});
//     }
//     if (auto request = parser.take(origin)) ...
class RequestParser final {
public:
    static constexpr std::size_t kMaxLineLength = 16384;
    static constexpr std::size_t kMaxHeaderLines = 1024;
    static constexpr std::size_t kMaxBodyLength = 16 * 1024 * 1024;

    enum class State {
        NeedMore,  // the request is not complete yet
        Complete,  // the request is whole; bytes after it are ignored
        Refused,   // malformed, over a limit, or a method this server does not serve
    };

    // Takes the next bytes of the connection; returns the state after them.
    State feed(std::string_view bytes);
    // The peer ended its side: what arrived so far is all there is.
    State finish();
    State state() const { return state_; }
    // Known once the request line is in.
    bool isPost() const { return request_.isPost(); }

    // The complete request with its URI, host and port, parameters, uploads (written to
    // the origin's upload folder), cookies and credentials worked out; nullopt when it is
    // not complete or cannot be served (an authorization other than Basic, an upload that
    // cannot be stored). Takes the request out of the parser.
    std::optional<TInHTTPAppRequest> take(const RequestOrigin& origin);

private:
    enum class Phase { RequestLine, Headers, Body, BodyUntilClose, Done };

    std::string_view feedLine(std::string_view bytes);
    std::string_view feedBody(std::string_view bytes);
    void endLine();
    void readRequestLine(const std::string& line);
    void readHeaderLine(const std::string& line);
    void endHeaders();
    State refuse();
    State complete();

    State state_ = State::NeedMore;
    Phase phase_ = Phase::RequestLine;
    std::string line_;
    std::string uri_;
    std::size_t headerLines_ = 0;
    std::size_t bodyLength_ = 0;
    TInHTTPAppRequest request_;
};

}  // namespace web
