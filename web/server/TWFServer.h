#pragma once

#include <optional>
#include <string>

#include "web/server/FieldList.h"
#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/TWFBrowser.h"
#include "web/server/dispatch/RequestContext.h"

namespace web {

class TWFApplication;

// The request dispatcher: one instance per request. It reads the first word of the path,
// finds or creates the session, hands the request to the session's page or to the file
// handlers, and sets the caching headers of the reply.
class TWFServer {
public:
    explicit TWFServer(const RequestContext& context)
        : context_(context), request_(&context.request), response_(&context.response) {}
    void Dispatch();

    enum class Kind { Resize, Update, Upload, Cache, Gfx, Js, Files, FilesNC, Stop, Css, Favicon, Call, Exec, Start, Ping };

private:
    void readPath();
    void dispatchKind();
    void startRequest();
    void pageRequest();
    void readSessionAndTrack();
    void executeSessionRequest();
    void matchingRequest(TWFApplication& session);
    void staleRequest(TWFApplication& session);
    void answerWithoutSubmit(TWFApplication& session);
    void resizeRequest();
    void applyWindowSize();
    void stopRequest();
    void pingRequest();
    void unrecognizedCommand();
    void fileRequest();
    void writeTerminationReply(TWFApplication& session);
    void writeRedirectPage(const std::string& address);
    void writeNavigationScriptPage(TWFApplication& session, bool previousPagePartial);
    void renderActivePage(TWFApplication& session);
    std::string redirectHead(const std::string& address, int delaySeconds) const;
    long long trackNumber() const;
    bool partialUpdate() const { return kind_ == Kind::Update; }
    TWFBrowser requestBrowser() const;
    void setCachingHeaders();

    const RequestContext& context_;
    TInHTTPAppRequest* request_ = nullptr;
    TInHTTPAppResponse* response_ = nullptr;
    std::string remainingPath_;
    std::string command_;
    bool test32_ = false;
    bool testWML_ = false;
    bool testXHTMLMP_ = false;
    std::optional<Kind> kind_;
    std::string firstArgument_;
    std::string sessionID_;
    std::string trackText_;
    std::string clientIP_;
    std::string browserText_;
    FieldList params_;
    bool cacheable_ = true;
};

// The page that answers "/": it posts the browser window's size to the start address.
// `noScriptURL` (may be empty) is where a browser without scripts is sent.
std::string SizeProbePage(const std::string& startAddress, const std::string& sessionID,
                          const std::string& noScriptURL = "");

}  // namespace web
