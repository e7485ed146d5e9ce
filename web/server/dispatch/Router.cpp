#include "web/server/dispatch/Router.h"

#include <array>
#include <climits>

#include "web/server/Errors.h"
#include "web/server/Text.h"
#include "web/server/session/SessionTable.h"

namespace web {
namespace {

struct KindWord {
    const char* word;
    RequestKind kind;
};

// The fixed command words in the order they are tested; the first match wins. "EXEC",
// the start command and "PING" come after them.
constexpr std::array<KindWord, 12> kFixedKinds{{
    {"RESIZE", RequestKind::Resize},
    {"UPDATE", RequestKind::Update},
    {"UPLOAD", RequestKind::Upload},
    {"CACHE", RequestKind::Cache},
    {"GFX", RequestKind::Gfx},
    {"JS", RequestKind::Js},
    {"FILES", RequestKind::Files},
    {"FILESNC", RequestKind::FilesNC},
    {"STOP", RequestKind::Stop},
    {"CSS", RequestKind::Css},
    {"FAVICON.ICO", RequestKind::Favicon},
    {"CALL", RequestKind::Call},
}};

bool isSessionKind(RequestKind kind) {
    using K = RequestKind;
    return kind == K::Exec || kind == K::Update || kind == K::Stop || kind == K::Resize || kind == K::Upload;
}

}  // namespace

long long RoutedRequest::trackNumber() const {
    std::int64_t track = 0;
    if (!text::parseInt64(trackText, track)) return 0;
    if (track > INT_MAX || track < INT_MIN) throw EWFException("Range check error");
    return track;
}

std::optional<RequestKind> Router::classify(const std::string& word) const {
    for (const KindWord& entry : kFixedKinds) {
        if (word == entry.word) return entry.kind;
    }
    if (word == text::toUpper(settings_.ExecCmd)) return RequestKind::Exec;
    if (word == text::toUpper(settings_.StartCmd)) return RequestKind::Start;
    if (word == "PING") return RequestKind::Ping;
    return std::nullopt;
}

RoutedRequest Router::route(const TInHTTPAppRequest& request, const SessionTable& sessions) const {
    RoutedRequest routed;
    std::string path = request.path;
    if (path.rfind("/../", 0) == 0) {
        path.erase(0, 4);
    } else if (!path.empty()) {
        path.erase(0, 1);
    }
    routed.remainingPath = path;
    routed.command = text::toUpper(text::cutWord(routed.remainingPath, '/'));
    // "/32/...", "/WML/..." and "/XHTMLMP/..." force a rendering mode: the browser text says which.
    std::string testMode = routed.command == "32"        ? "HTML 3.2"
                           : routed.command == "WML"     ? "WML"
                           : routed.command == "XHTMLMP" ? "XHTML MP"
                                                         : "";
    if (!testMode.empty()) routed.command = text::toUpper(text::cutWord(routed.remainingPath, '/'));
    routed.kind = classify(routed.command);
    bool wholePath = routed.kind == RequestKind::Cache ||
                     ((routed.kind == RequestKind::Files || routed.kind == RequestKind::FilesNC) &&
                      settings_.AllowSubFolders);
    if (wholePath) {
        routed.firstArgument = routed.remainingPath;
    } else {
        routed.firstArgument = text::cutWord(routed.remainingPath, '/');
    }
    // The peer address: forwarding headers come from the client and would let it pose
    // as another machine.
    routed.clientIP = request.peerAddress;
    routed.params = request.isPost() ? request.contentFields : request.queryFields;
    routed.browserText = testMode.empty() ? request.userAgent() : testMode;
    if (routed.kind && isSessionKind(*routed.kind)) readSessionAndTrack(routed, request, sessions);
    return routed;
}

void Router::readSessionAndTrack(RoutedRequest& routed, const TInHTTPAppRequest& request,
                                 const SessionTable& sessions) const {
    if (routed.kind == RequestKind::Resize && routed.params.contains("WF_SessionID_")) {
        routed.sessionID = routed.params.value("WF_SessionID_");
        routed.trackText = routed.params.value("WF_TrackID_");
    } else if (routed.kind == RequestKind::Stop) {
        routed.sessionID = routed.firstArgument;
    } else {
        routed.trackText = routed.firstArgument;
        routed.sessionID = text::cutWord(routed.remainingPath, '/');
    }
    std::string bind = request.queryFields.value("bind");
    if (!request.isPost() && !bind.empty()) {
        if (std::optional<std::string> bound = sessions.findBound(bind)) routed.sessionID = *bound;
    }
}

}  // namespace web
