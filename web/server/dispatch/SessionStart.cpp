#include "web/server/dispatch/SessionStart.h"

#include "web/server/Errors.h"
#include "web/server/ServerLog.h"
#include "web/server/dispatch/PageRequest.h"
#include "web/server/dispatch/ScriptReplies.h"

namespace web {

void StartSession(const RequestContext& context, const RoutedRequest& routed) {
    TWFServerControllerBase& settings = context.settings();
    TInHTTPAppRequest& request = context.request;
    TInHTTPAppResponse& response = context.response;
    if (settings.MaxSessions != 0 && context.sessions().count() >= settings.MaxSessions) {
        throw EWFException("The server holds as many sessions as it can. Please try again later.");
    }
    TWFSessionStart start;
    start.browserKind = DetectBrowser(routed.browserText);
    start.userAgent = routed.browserText;
    start.clientIP = routed.clientIP;
    start.referer = request.referer();
    start.startParameters = request.queryFields;
    start.settings = context.state->settings;
    auto owned = std::make_unique<TWFApplication>(start);
    TWFApplication& session = *owned;
    session.BindValue = request.queryFields.value("bind");
    CurrentSessionScope current(&session);
    std::string startAddress = PageAddress(settings, session.SessionID(), 0);
    session.SetStartAddress(startAddress);
    // Entered held: no other request may work on the session before it is set up.
    SessionLock held = context.sessions().addHeld(std::move(owned));
    AttachedRequest attached(session, request, response);

    std::unique_ptr<IWFForm> mainForm;
    settings.newSession(session, mainForm);
    session.ShowStartForm(std::move(mainForm));
    IWFForm* page = session.ActiveForm();
    if (page != nullptr && page->isHTML40()) {
        response.setContent(
            SizeProbePage(startAddress, session.SessionID(), settings.NoJavaScriptSupport.url()));
    } else if (request.host.empty()) {
        response.sendRedirect(startAddress);
    } else {
        std::string port = request.serverPort == 80 ? "" : ":" + std::to_string(request.serverPort);
        response.sendRedirect("http://" + request.host + port + startAddress);
    }
    ServerLog(LogTimePrefix() + "New session: " + session.SessionID());
}

}  // namespace web
