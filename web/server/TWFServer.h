#pragma once

#include <string>

#include "web/server/FieldList.h"
#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/TWFBrowser.h"

namespace web {

class TWFApplication;

// The request dispatcher: one instance per request. It reads the first word of the path,
// finds or creates the session, hands the request to the session's page or to the file
// handlers, and sets the caching headers of the reply.
class TWFServer {
public:
    void Dispatch(TInHTTPAppRequest& request, TInHTTPAppResponse& response);

    enum class Kind { Resize, Update, Upload, Cache, Gfx, Js, Files, FilesNC, Stop, Css, Favicon, Call, Exec, Start, Ping };

private:
    void readPath();
    void dispatchKind();
    void startRequest();
    void pageRequest();
    void executeSessionRequest(bool partialUpdate);
    void matchingRequest(TWFApplication& session, bool partialUpdate);
    void staleRequest(TWFApplication& session);
    void resizeRequest();
    void applyWindowSize(TWFApplication& session);
    void stopRequest();
    void pingRequest();
    void unrecognizedCommand();
    void renderOrRedirect(TWFApplication& session, bool partialUpdate);
    void writeTerminationReply(TWFApplication& session, bool partialUpdate);
    void writeRedirectPage(const std::string& address, bool partialUpdate);
    void writeNavigationScriptPage(TWFApplication& session, bool partialUpdate);
    void renderActivePage(TWFApplication& session);
    long long trackNumber() const;
    TWFBrowser requestBrowser() const;
    void setCachingHeaders();

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
    FieldList params_;
    bool cacheable_ = true;
};

// The page that answers "/": it posts the browser window's size to the start address.
std::string SizeProbePage(const std::string& startAddress, const std::string& sessionID);

}  // namespace web
