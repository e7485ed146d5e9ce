#pragma once

#include <optional>
#include <string>

#include "web/server/FieldList.h"
#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TWFServerControllerBase.h"

namespace web {

class SessionTable;

// The kinds of request the first word of the path selects.
enum class RequestKind {
    Resize,
    Update,
    Upload,
    Cache,
    Gfx,
    Js,
    Files,
    FilesNC,
    Stop,
    Css,
    Favicon,
    Call,
    Exec,
    Start,
    Ping
};

// What the router read from one request.
struct RoutedRequest {
    std::optional<RequestKind> kind;  // none: an unrecognised command word
    std::string command;              // the command word, upper case
    std::string firstArgument;        // the path word after it (the whole rest for cache files)
    std::string remainingPath;
    std::string sessionID;  // session kinds only
    std::string trackText;  // session kinds only, as written
    std::string clientIP;
    std::string browserText;  // the user agent, or the text of a test mode
    FieldList params;         // the posted fields, or those of the query

    bool partialUpdate() const { return kind == RequestKind::Update; }
    // The track number: 0 when it is not a number; beyond 32 bits it fails ("Range check error").
    long long trackNumber() const;
};

// Reads a request's path: the command word ("/EXEC/...", "/files/...", "/" ...) picks the
// kind, the words after it the arguments, session id and track number.
class Router {
public:
    explicit Router(const TWFServerControllerBase& settings) : settings_(settings) {}

    // `sessions` resolves a "bind" query parameter to the session bound to it.
    RoutedRequest route(const TInHTTPAppRequest& request, const SessionTable& sessions) const;

private:
    std::optional<RequestKind> classify(const std::string& word) const;
    void readSessionAndTrack(RoutedRequest& routed, const TInHTTPAppRequest& request,
                             const SessionTable& sessions) const;

    const TWFServerControllerBase& settings_;
};

}  // namespace web
