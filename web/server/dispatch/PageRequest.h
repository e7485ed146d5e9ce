#pragma once

#include "web/server/dispatch/RequestContext.h"
#include "web/server/dispatch/Router.h"

namespace web {

// The work on a session's pages for one request: a page request ("EXEC"), a partial
// update or upload, or a window-size report. It holds the session for the whole request
// (a second request for it is refused), hands the posted fields to the active page when
// the request's track number is the session's, and answers with the rendered page, a
// redirect, a navigation script or the termination reply. A session that ended on the
// way is freed before the request returns.
class PageRequest {
public:
    // `cacheable` is cleared for replies that must not be kept.
    PageRequest(const RequestContext& context, const RoutedRequest& routed, bool& cacheable)
        : context_(context), routed_(routed), cacheable_(cacheable) {}

    void page();
    void partialUpdate();
    // The keep-alive of an open page: runs the page's due work (IWFForm::keepAlive) when
    // it has some and the session is free.
    void keepAlive();
    void resize();

private:
    // Holds the request's session; one the table does not hold is asked of the server's
    // resumer before the request fails as expired.
    SessionLock holdSession();
    void execute();
    void matching(TWFApplication& session);
    void stale(TWFApplication& session);
    void answerWithoutSubmit(TWFApplication& session);
    void render(TWFApplication& session);
    void writeTerminationReply(TWFApplication& session);
    void writeNavigationScript(TWFApplication& session);
    void applyWindowSize();

    const RequestContext& context_;
    const RoutedRequest& routed_;
    bool& cacheable_;
    // The session was brought back by this very request.
    bool resumedHere_ = false;
};

// Asks the server's resumer for the session `sessionID` that the table does not hold; true
// when one was entered (by this request or, at the same moment, by another). Ids that are
// not letters and digits are never asked about.
bool ResumeSession(const RequestContext& context, const std::string& sessionID, const std::string& browserText,
                   const std::string& clientIP);

// Keeps a request attached to its session for one scope; the session must not remember
// a request object that dies with the request.
class AttachedRequest {
public:
    AttachedRequest(TWFApplication& session, TInHTTPAppRequest& request, TInHTTPAppResponse& response)
        : session_(&session) {
        session.AttachRequest(&request, &response);
    }
    ~AttachedRequest() { detach(); }
    AttachedRequest(const AttachedRequest&) = delete;
    AttachedRequest& operator=(const AttachedRequest&) = delete;

    void detach() {
        if (session_ != nullptr) session_->AttachRequest(nullptr, nullptr);
        session_ = nullptr;
    }

private:
    TWFApplication* session_;
};

// The address of a session's page request with track number `track`.
std::string PageAddress(const TWFServerControllerBase& settings, const std::string& sessionID,
                        long long track);

}  // namespace web
