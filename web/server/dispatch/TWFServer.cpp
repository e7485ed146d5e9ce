#include "web/server/dispatch/TWFServer.h"

#include "web/server/ErrorPage.h"
#include "web/server/Errors.h"
#include "web/server/files/FileRequests.h"
#include "web/server/ServerLog.h"
#include "web/server/Text.h"
#include "web/server/dispatch/CachePolicy.h"
#include "web/server/dispatch/PageRequest.h"
#include "web/server/dispatch/SessionStart.h"

namespace web {

void TWFServer::Dispatch() {
    try {
        routed_ = Router(context_.settings()).route(context_.request, context_.sessions());
        dispatchKind();
    } catch (...) {
        // An error page must never be kept by a browser or proxy: the next visit has to
        // reach the server again.
        cacheable_ = false;
        WriteErrorReply(&context_.settings(), std::current_exception(), context_.request, context_.response);
    }
    ApplyCachePolicy(context_.response, cacheable_, std::chrono::minutes(context_.settings().CacheExpiry));
    SetCurrentSession(nullptr);
}

void TWFServer::dispatchKind() {
    if (!routed_.kind) return unrecognizedCommand();
    PageRequest pages(context_, routed_, cacheable_);
    switch (*routed_.kind) {
        case Kind::Start:
            cacheable_ = false;
            return StartSession(context_, routed_);
        case Kind::Exec:
            pages.page();
            ServerLog("Execute: " + routed_.sessionID);
            return;
        case Kind::Update:
        case Kind::Upload:
            pages.partialUpdate();
            ServerLog("Partial Update: " + routed_.sessionID);
            return;
        case Kind::Resize:
            return pages.resize();
        case Kind::Stop:
            return stopRequest();
        case Kind::Ping:
            return pingRequest();
        case Kind::Call:
            return unrecognizedCommand();
        default:
            ServerLog(HandleFileRequest(context_, *routed_.kind, routed_.firstArgument, routed_.remainingPath,
                                        cacheable_));
            return;
    }
}

void TWFServer::stopRequest() {
    cacheable_ = false;
    ServerLog("Explicit Stop: " + routed_.sessionID);
    // A session that a request is still working on is left alone; it times out. Only a
    // stop that ended a session may send the browser on: otherwise any link to this
    // server could forward candidates to whatever host it names.
    bool ended = context_.sessions().removeIdle(routed_.sessionID);
    const std::string& target = routed_.remainingPath;
    if (!ended || target.empty()) return;
    if (text::startsWithNoCase(target, "_s_.")) {
        context_.response.sendRedirect("https://" + target.substr(4));
    } else {
        context_.response.sendRedirect("http://" + target);
    }
}

void TWFServer::pingRequest() {
    cacheable_ = false;
    // "/PING/<id>" is the keep-alive of an open page: it refreshes the session's idle
    // clock so that a candidate who reads for a long time does not lose the paper.
    // A page left open over a restart may be brought back by its keep-alive alone.
    const std::string& id = routed_.firstArgument;
    if (!id.empty() && !context_.sessions().touch(id)) ResumeSession(context_, id, routed_.browserText, routed_.clientIP);
    if (!id.empty()) PageRequest(context_, routed_, cacheable_).keepAlive();
}

void TWFServer::unrecognizedCommand() {
    ServerLog("Unrecognized Command: " + routed_.command + ":" + routed_.sessionID);
    const std::string& target = context_.settings().InvalidCommandURL;
    if (!target.empty()) return context_.response.sendRedirect(target);
    throw EWFException("Unrecognized Command: " + std::string(": ") + routed_.command + ":" +
                       routed_.sessionID);
}

}  // namespace web
