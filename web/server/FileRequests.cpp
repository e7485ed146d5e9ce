#include "web/server/FileRequests.h"

#include "web/server/Errors.h"
#include "web/server/FileServer.h"
#include "web/server/HttpDate.h"
#include "web/server/InternalResources.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/TWFSessions.h"
#include "web/server/Text.h"

namespace web {
namespace {

const TWFServerControllerBase& settings() {
    const TWFServerControllerBase* controller = ServerController();
    if (controller == nullptr) throw EWFException("No server controller is defined.");
    return *controller;
}

std::string serveFromFolder(const std::string& folder, const std::string& name, const TInHTTPAppRequest& request,
                            TInHTTPAppResponse& response, bool& cacheable) {
    std::optional<std::string> path = PathInside(folder, name);
    int status = path ? ServeFile(request, response, *path) : 404;
    if (!path) SetNotFound(response);
    if (status != 200) cacheable = false;
    return std::to_string(status);
}

// Fetching a session's generated files counts as activity of that session.
void touchCacheOwner(const std::string& cachePath, const TInHTTPAppRequest& request) {
    std::string rest = cachePath;
    if (text::toLower(text::cutWord(rest, '/')) != "user") return;
    std::string sessionID = text::cutWord(rest, '/');
    if (Sessions().LookupSession(sessionID) == nullptr) return;
    TWFApplication& session = Sessions().LockById(sessionID, DetectBrowser(request.userAgent()), request.peerAddress);
    Sessions().UnlockSession(session);
}

std::string internalResource(TWFServer::Kind kind, const std::string& firstArgument,
                             const TInHTTPAppRequest& request, TInHTTPAppResponse& response, bool& cacheable) {
    TimePoint stamp = settings().internalResourceStamp();
    std::optional<TimePoint> since = parseHttpDate(request.header("If-Modified-Since"));
    std::string name = InternalResourceName(kind, firstArgument);
    if (since && stamp <= *since + std::chrono::seconds(1)) {
        response.statusCode = 304;
        response.reasonString = "Not modified";
        cacheable = false;
        return "(304)" + name;
    }
    response.setContentStream(InternalResources::Open(name));
    response.contentType = kind == TWFServer::Kind::Gfx  ? ContentTypeOf(request.path)
                           : kind == TWFServer::Kind::Js ? "application/x-javascript"
                                                         : "text/css";
    response.lastModified = stamp;
    return "(200)" + name;
}

std::string favicon(const TInHTTPAppRequest& request, TInHTTPAppResponse& response, bool& cacheable) {
    std::string own = settings().filesFolder() + "favicon.ico";
    if (ServeFile(request, response, own) != 404) {
        response.contentType = ContentTypeOf(".ico");
        return "Favicon: " + own;
    }
    response.statusCode = 200;
    response.reasonString.clear();
    response.setContentStream(InternalResources::Open("WF_FAVICON"));
    response.contentType = ContentTypeOf(".ico");
    response.lastModified = settings().internalResourceStamp();
    cacheable = true;
    return "Favicon: (built in)";
}

}  // namespace

std::string InternalResourceName(TWFServer::Kind kind, const std::string& firstArgument) {
    if (kind == TWFServer::Kind::Gfx) {
        return "WF_GFX_" + text::replaceAll(firstArgument.substr(0, firstArgument.find('.')), "/", "_");
    }
    std::size_t version = firstArgument.find(TWFServerControllerBase::kVersion);
    std::string name = version == std::string::npos ? "" : firstArgument.substr(0, version);
    name = name.substr(0, name.find('.'));
    return (kind == TWFServer::Kind::Js ? "WF_JS_" : "WF_CSS_") + name;
}

std::string HandleFileRequest(TWFServer::Kind kind, const std::string& firstArgument, const std::string&,
                              const TInHTTPAppRequest& request, TInHTTPAppResponse& response, bool& cacheable) {
    using K = TWFServer::Kind;
    switch (kind) {
        case K::Files:
        case K::FilesNC:
            if (kind == K::FilesNC) cacheable = false;
            serveFromFolder(settings().filesFolder(), firstArgument, request, response, cacheable);
            return "External File: " + firstArgument;
        case K::Cache:
            touchCacheOwner(firstArgument, request);
            serveFromFolder(settings().cacheFolder(), firstArgument, request, response, cacheable);
            if (!response.lastModified) cacheable = false;
            return "Cache File: " + firstArgument;
        case K::Gfx: return "Internal Graphic: " + internalResource(kind, firstArgument, request, response, cacheable);
        case K::Js: return "Javascript: " + internalResource(kind, firstArgument, request, response, cacheable);
        case K::Css: return "CSS: " + internalResource(kind, firstArgument, request, response, cacheable);
        case K::Favicon: return favicon(request, response, cacheable);
        default: throw EWFException("Not a file request.");
    }
}

}  // namespace web
