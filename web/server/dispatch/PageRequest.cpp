#include "web/server/dispatch/PageRequest.h"

#include "web/server/Errors.h"
#include "web/server/ServerLog.h"
#include "web/server/TWFRenderStream.h"
#include "web/server/Text.h"
#include "web/server/dispatch/ScriptReplies.h"
#include "web/server/session/SessionID.h"
#include "web/server/session/SessionResumer.h"

namespace web {
namespace {

const char* const kResyncWarning =
    "You have attempted to post or refresh data from a page that  depends on information that is no longer "
    "available to the server application.\r\n\r\nYour attempted changes will be ignored. You will now be "
    "resynced "
    "to the current place in the application.";

}  // namespace

std::string PageAddress(const TWFServerControllerBase& settings, const std::string& sessionID,
                        long long track) {
    return settings.URLBase + "/" + settings.ExecCmd + "/" + std::to_string(track) + "/" + sessionID;
}

bool ResumeSession(const RequestContext& context, const std::string& sessionID,
                   const std::string& browserText, const std::string& clientIP) {
    SessionResumer* resumer = context.resumer();
    if (resumer == nullptr || !IsSessionIDText(sessionID)) return false;
    TWFSessionStart start;
    start.browserKind = DetectBrowser(browserText);
    start.userAgent = browserText;
    start.clientIP = clientIP;
    start.referer = context.request.referer();
    start.settings = context.state->settings;
    start.sessionID = sessionID;
    std::unique_ptr<TWFApplication> session = resumer->resume(sessionID, std::move(start));
    if (!session || !text::equalsNoCase(session->SessionID(), sessionID)) {
        FreeSession(std::move(session));
        return false;
    }
    try {
        context.sessions().addIdle(std::move(session));
    } catch (const EWFException&) {
        // Another request for the same id entered its resumed session first; that one is used.
    }
    return true;
}

SessionLock PageRequest::holdSession() {
    SessionTable& sessions = context_.sessions();
    TWFBrowser browser = DetectBrowser(routed_.browserText);
    try {
        return sessions.lock(routed_.sessionID, browser, routed_.clientIP);
    } catch (const EInvalidSession&) {
        if (!ResumeSession(context_, routed_.sessionID, routed_.browserText, routed_.clientIP)) throw;
        resumedHere_ = true;
    }
    return sessions.lock(routed_.sessionID, browser, routed_.clientIP);
}

void PageRequest::page() {
    long long track = routed_.trackNumber();
    cacheable_ = track != 0;
    if (track == 0) {
        // The first request of a session carries the browser window's size.
        SessionLock held = holdSession();
        IWFForm* form = held->ActiveForm();
        bool html40 = form != nullptr && form->isHTML40();
        held.release();
        if (html40) applyWindowSize();
    }
    execute();
}

void PageRequest::keepAlive() {
    SessionTable& sessions = context_.sessions();
    bool due = false;
    sessions.peek(routed_.firstArgument,
                  [&due](const TWFApplication& session) { due = session.KeepAliveDue(); });
    if (!due) return;
    SessionLock held;
    try {
        held = sessions.lock(routed_.firstArgument, DetectBrowser(routed_.browserText), routed_.clientIP);
    } catch (const EWFException&) {
        return;  // ended meanwhile, or busy with a request of its own, which does the work
    }
    CurrentSessionScope current(&held.session());
    held->KeepAlive();
    if (held->Terminated()) held.end();
}

void PageRequest::partialUpdate() {
    execute();
}

void PageRequest::execute() {
    SessionLock held = holdSession();
    TWFApplication& session = held.session();
    CurrentSessionScope current(&session);
    AttachedRequest attached(session, context_.request, context_.response);

    if (session.TrackID() == routed_.trackNumber()) {
        matching(session);
    } else if (resumedHere_) {
        // A session brought back for a post of its older page shows the restored page;
        // the post is not replayed and is no fault of the candidate's.
        answerWithoutSubmit(session);
    } else {
        stale(session);
    }
    if (!session.Terminated()) return;
    attached.detach();
    held.end();
}

void PageRequest::matching(TWFApplication& session) {
    TInHTTPAppResponse& response = context_.response;
    IWFForm* previousPage = session.ActiveForm();
    bool endedWithRedirect = session.Terminated() && !session.RedirectURL().empty();
    if (!endedWithRedirect) session.ProcessSubmit(routed_.params);
    if (session.Terminated()) return writeTerminationReply(session);
    if (response.hasContent() || response.sent) return;
    if (!session.RedirectURL().empty()) {
        return response.setContent(RedirectPage(session.RedirectURL(), routed_.partialUpdate()));
    }
    bool pageChanged = session.ActiveForm() != previousPage;
    if (routed_.kind == RequestKind::Upload || (routed_.partialUpdate() && pageChanged)) {
        return writeNavigationScript(session);
    }
    render(session);
}

void PageRequest::stale(TWFApplication& session) {
    // The browser showed an older page (back button, refresh, double click): its values
    // are not applied and no handler runs; the current page comes back instead.
    if (context_.settings().ShowResyncWarning)
        session.ShowMessage(kResyncWarning, TWFShowMessageType::smAlert);
    answerWithoutSubmit(session);
}

void PageRequest::answerWithoutSubmit(TWFApplication& session) {
    if (session.Terminated()) return writeTerminationReply(session);
    if (!session.RedirectURL().empty()) {
        return context_.response.setContent(RedirectPage(session.RedirectURL(), routed_.partialUpdate()));
    }
    render(session);
}

void PageRequest::render(TWFApplication& session) {
    auto stream = std::make_unique<TWFRenderStream>(context_.settings().cacheFolder());
    session.RenderActiveForm(stream->stream());
    stream->stream().flush();
    if (stream->size() > 0) context_.response.setContentStream(std::move(stream));
}

void PageRequest::writeTerminationReply(TWFApplication& session) {
    TInHTTPAppResponse& response = context_.response;
    response.contentStream.reset();
    std::string reply = TerminationReply(session.RedirectURL(), session.TerminateMessage(),
                                         routed_.partialUpdate(), context_.settings().RedirectMsgDelay);
    if (!reply.empty()) response.setContent(reply);
}

void PageRequest::writeNavigationScript(TWFApplication& session) {
    context_.response.setContent(
        NavigationScriptPage(PageAddress(context_.settings(), session.SessionID(), session.TrackID()),
                             routed_.partialUpdate(), routed_.params.value("WF_MainPageSubmitControl"),
                             routed_.params.value("WF_MainPageSubmitControlParam")));
}

void PageRequest::resize() {
    cacheable_ = false;
    applyWindowSize();
    if (routed_.trackNumber() != 0) context_.response.setContent(ResizeAcknowledgement());
}

void PageRequest::applyWindowSize() {
    cacheable_ = false;
    SessionLock held = holdSession();
    TWFApplication& session = held.session();
    CurrentSessionScope current(&session);
    AttachedRequest attached(session, context_.request, context_.response);
    IWFForm* form = session.ActiveForm();
    if (form == nullptr || !form->isHTML40()) return;
    int width = text::toIntDef(text::trim(routed_.params.value("WF_width")), form->width());
    int height = text::toIntDef(text::trim(routed_.params.value("WF_height")), form->height());
    session.SetWindowSize(width, height);
    ServerLog("Resize: " + std::to_string(width) + "," + std::to_string(height));
}

}  // namespace web
