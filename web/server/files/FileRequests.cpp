#include "web/server/files/FileRequests.h"

#include <filesystem>

#include "web/server/files/Downloads.h"
#include "web/server/Errors.h"
#include "web/server/files/FileServer.h"
#include "web/server/HttpDate.h"
#include "web/server/files/InternalResources.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/session/SessionTable.h"
#include "web/server/Text.h"

namespace web {
namespace {

std::string serveFromFolder(const std::string& folder, const std::string& name,
                            const TInHTTPAppRequest& request, TInHTTPAppResponse& response, bool& cacheable) {
    std::optional<std::string> path = PathInside(folder, name);
    int status = path ? ServeFile(request, response, *path) : 404;
    if (!path) SetNotFound(response);
    if (status != 200) cacheable = false;
    return std::to_string(status);
}

// Fetching a session's generated files counts as activity of that session.
void touchCacheOwner(SessionTable& sessions, const std::string& cachePath, const TInHTTPAppRequest& request) {
    std::string rest = cachePath;
    if (text::toLower(text::cutWord(rest, '/')) != "user") return;
    std::string sessionID = text::cutWord(rest, '/');
    if (!sessions.contains(sessionID)) return;
    try {
        sessions.lock(sessionID, DetectBrowser(request.userAgent()), request.peerAddress).release();
    } catch (const EInvalidSession&) {
        // Ended in the meantime: its folder is gone with it, the file answers 404.
    }
}

// Internal resources change only with the program, so one stamp per run dates them all.
bool notChangedSinceRequest(const TWFServerControllerBase& settings, const TInHTTPAppRequest& request,
                            TInHTTPAppResponse& response) {
    std::optional<TimePoint> since = parseHttpDate(request.header("If-Modified-Since"));
    if (!since || settings.internalResourceStamp() > *since + std::chrono::seconds(1)) return false;
    response.statusCode = 304;
    response.reasonString = "Not modified";
    return true;
}

void sendResource(const TWFServerControllerBase& settings, std::string_view bytes, const std::string& contentType,
                  TInHTTPAppResponse& response) {
    response.setContentStream(std::make_unique<MemoryContentStream>(bytes));
    response.contentType = contentType;
    response.lastModified = settings.internalResourceStamp();
}

// An image takes its type from the address, or from its own file when the address has
// no extension (the error page asks for "/gfx/LogoTessel").
std::string resourceContentType(RequestKind kind, const TInHTTPAppRequest& request,
                                std::string_view path) {
    if (kind == RequestKind::Js) return "application/x-javascript";
    if (kind == RequestKind::Css) return "text/css";
    std::string type = ContentTypeOf(request.path);
    return type.empty() ? ContentTypeOf(path) : type;
}

std::string internalResource(const RequestContext& context, RequestKind kind, const std::string& firstArgument,
                             bool& cacheable) {
    const TInHTTPAppRequest& request = context.request;
    TInHTTPAppResponse& response = context.response;
    std::string name = InternalResourceName(kind, firstArgument);
    if (notChangedSinceRequest(context.settings(), request, response)) {
        cacheable = false;
        return "(304)" + name;
    }
    std::optional<std::string_view> path = InternalResources::PathOf(name);
    if (!path) throw EWFException("Resource " + name + " not found.");
    std::optional<std::string_view> bytes = InternalResources::Find(name);
    if (!bytes) {
        // Registered, but this build carries no such file.
        SetNotFound(response);
        cacheable = false;
        return "(404)" + name;
    }
    sendResource(context.settings(), *bytes, resourceContentType(kind, request, *path), response);
    return "(200)" + name;
}

// The application's own icon when its files folder has one, else the built-in icon.
std::string favicon(const RequestContext& context, bool& cacheable) {
    const TInHTTPAppRequest& request = context.request;
    TInHTTPAppResponse& response = context.response;
    std::string own = context.settings().filesFolder() + "favicon.ico";
    std::error_code ignored;
    if (std::filesystem::is_regular_file(own, ignored)) {
        int status = ServeFile(request, response, own);
        response.contentType = ContentTypeOf(".ico");
        if (status != 200) cacheable = false;
        return "Favicon: (" + std::to_string(status) + ")" + own;
    }
    if (notChangedSinceRequest(context.settings(), request, response)) {
        cacheable = false;
        return "Favicon: (304)WF_FAVICON";
    }
    sendResource(context.settings(), InternalResources::Find("WF_FAVICON").value_or(""), ContentTypeOf(".ico"), response);
    return "Favicon: (200)WF_FAVICON";
}

}  // namespace

std::string InternalResourceName(RequestKind kind, const std::string& firstArgument) {
    if (kind == RequestKind::Gfx) {
        return "WF_GFX_" + text::replaceAll(firstArgument.substr(0, firstArgument.find('.')), "/", "_");
    }
    std::size_t version = firstArgument.find(TWFServerControllerBase::kVersion);
    std::string name = version == std::string::npos ? "" : firstArgument.substr(0, version);
    name = name.substr(0, name.find('.'));
    return (kind == RequestKind::Js ? "WF_JS_" : "WF_CSS_") + name;
}

std::string HandleFileRequest(const RequestContext& context, RequestKind kind, const std::string& firstArgument,
                              const std::string&, bool& cacheable) {
    using K = RequestKind;
    const TInHTTPAppRequest& request = context.request;
    TInHTTPAppResponse& response = context.response;
    const TWFServerControllerBase& settings = context.settings();
    switch (kind) {
        case K::Files:
        case K::FilesNC:
            if (kind == K::FilesNC) cacheable = false;
            serveFromFolder(settings.filesFolder(), firstArgument, request, response, cacheable);
            return "External File: " + firstArgument;
        case K::Cache:
            touchCacheOwner(context.sessions(), firstArgument, request);
            serveFromFolder(settings.cacheFolder(), firstArgument, request, response, cacheable);
            if (!response.lastModified) cacheable = false;
            // Exports and backups are saved by the browser under their own names.
            if (auto path = PathInside(settings.cacheFolder(), firstArgument);
                path && response.statusCode == 200)
                ApplyDownloadHeaders(*path, response);
            return "Cache File: " + firstArgument;
        case K::Gfx:
            return "Internal Graphic: " + internalResource(context, kind, firstArgument, cacheable);
        case K::Js:
            return "Javascript: " + internalResource(context, kind, firstArgument, cacheable);
        case K::Css:
            return "CSS: " + internalResource(context, kind, firstArgument, cacheable);
        case K::Favicon:
            return favicon(context, cacheable);
        default:
            throw EWFException("Not a file request.");
    }
}

}  // namespace web
