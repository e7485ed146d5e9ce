#include "web/server/TWFServer.h"

#include <array>
#include <climits>
#include <utility>

#include "web/server/ErrorPage.h"
#include "web/server/Errors.h"
#include "web/server/FileRequests.h"
#include "web/server/HtmlEscape.h"
#include "web/server/HttpDate.h"
#include "web/server/ServerLog.h"
#include "web/server/TWFApplication.h"
#include "web/server/TWFRenderStream.h"
#include "web/server/session/SessionTable.h"
#include "web/server/Text.h"

namespace web {
namespace {

const char* const kWFTop =
    "function WFTop(){ if ((parent != self) && (parent != null))return parent.WFTop();else return window;}\r\n";

const char* const kNoCacheMetas =
    "<meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
    "<meta http-equiv=\"pragma\" content=\"no-cache\">";

const char* const kResyncWarning =
    "You have attempted to post or refresh data from a page that  depends on information that is no longer "
    "available to the server application.\r\n\r\nYour attempted changes will be ignored. You will now be resynced "
    "to the current place in the application.";

struct KindWord {
    const char* word;
    TWFServer::Kind kind;
};

// The fixed command words in the order they are tested; the first match wins. "EXEC",
// the start command and "PING" come after them.
constexpr std::array<KindWord, 12> kFixedKinds{{
    {"RESIZE", TWFServer::Kind::Resize},
    {"UPDATE", TWFServer::Kind::Update},
    {"UPLOAD", TWFServer::Kind::Upload},
    {"CACHE", TWFServer::Kind::Cache},
    {"GFX", TWFServer::Kind::Gfx},
    {"JS", TWFServer::Kind::Js},
    {"FILES", TWFServer::Kind::Files},
    {"FILESNC", TWFServer::Kind::FilesNC},
    {"STOP", TWFServer::Kind::Stop},
    {"CSS", TWFServer::Kind::Css},
    {"FAVICON.ICO", TWFServer::Kind::Favicon},
    {"CALL", TWFServer::Kind::Call},
}};

std::optional<TWFServer::Kind> classify(const std::string& word, const TWFServerControllerBase& settings) {
    for (const KindWord& entry : kFixedKinds) {
        if (word == entry.word) return entry.kind;
    }
    if (word == text::toUpper(settings.ExecCmd)) return TWFServer::Kind::Exec;
    if (word == text::toUpper(settings.StartCmd)) return TWFServer::Kind::Start;
    if (word == "PING") return TWFServer::Kind::Ping;
    return std::nullopt;
}

bool isSessionKind(TWFServer::Kind kind) {
    using K = TWFServer::Kind;
    return kind == K::Exec || kind == K::Update || kind == K::Stop || kind == K::Resize || kind == K::Upload;
}

std::string pageAddress(const TWFServerControllerBase& settings, const std::string& sessionID, long long track) {
    return settings.URLBase + "/" + settings.ExecCmd + "/" + std::to_string(track) + "/" + sessionID;
}

// Keeps a request attached to its session for one scope; the session must not remember
// a request object that dies with this dispatcher.
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

}  // namespace

std::string SizeProbePage(const std::string& startAddress, const std::string& sessionID,
                          const std::string& noScriptURL) {
    std::string page =
        "<HTML><HEAD><TITLE></TITLE><meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
        "<meta http-equiv=\"pragma\" content=\"no-cache\">";
    if (noScriptURL.empty()) {
        page += "\r\n<NOSCRIPT><HTML><BODY>Your browser does not seem to support JavaScript. Please make sure it is "
                "supported and activated</BODY></HTML></NOSCRIPT>";
    } else {
        page += "\r\n<NOSCRIPT><META HTTP-EQUIV=\"Refresh\" CONTENT=\"0;URL=" + noScriptURL + "\"></NOSCRIPT>";
    }
    page += "\r\n<SCRIPT>\r\n";
    for (const char* line : {"var ie4 = (document.all)? true:false;",
                             "var ns6 = (document.getElementById)? true && !ie4:false;", "function Initialize() {",
                             "var lWidth;", "var lHeight;", "if (ns6) {", "  lWidth = window.innerWidth - 30;",
                             "  lHeight = window.innerHeight - 30;", "} else {",
                             "  lWidth = document.body.clientWidth;", "  lHeight = document.body.clientHeight;", "}",
                             "document.forms[0].elements[\"WF_width\"].value = lWidth;",
                             "document.forms[0].elements[\"WF_height\"].value = lHeight;",
                             "document.forms[0].submit();"}) {
        page += std::string(line) + "\r\n";
    }
    page += "}</SCRIPT></HEAD><BODY onload=\"Initialize()\">\r\n<form method=post action=\"" + startAddress +
            "\">\r\n";
    page += "<input type=hidden name=\"WF_width\">\r\n<input type=hidden name=\"WF_height\">\r\n";
    page += "<input type=hidden name=\"WF_SessionID_\" value=\"" + sessionID +
            "\">\r\n<input type=hidden name=\"WF_TrackID_\" value=\"0\">\r\n";
    page += "</form></BODY></HTML>";
    return page;
}

void TWFServer::Dispatch() {
    TInHTTPAppRequest& request = *request_;
    TInHTTPAppResponse& response = *response_;
    try {
        readPath();
        dispatchKind();
    } catch (...) {
        // An error page must never be kept by a browser or proxy: the next visit has to
        // reach the server again.
        cacheable_ = false;
        WriteErrorReply(std::current_exception(), request, response);
    }
    setCachingHeaders();
}

// ---- reading the path -------------------------------------------------------------------

void TWFServer::readPath() {
    std::string path = request_->path;
    if (path.rfind("/../", 0) == 0) {
        path.erase(0, 4);
    } else if (!path.empty()) {
        path.erase(0, 1);
    }
    remainingPath_ = path;
    command_ = text::toUpper(text::cutWord(remainingPath_, '/'));
    bool* testFlag = command_ == "32" ? &test32_ : command_ == "WML" ? &testWML_
                                                 : command_ == "XHTMLMP" ? &testXHTMLMP_ : nullptr;
    if (testFlag != nullptr) {
        *testFlag = true;
        command_ = text::toUpper(text::cutWord(remainingPath_, '/'));
    }
    kind_ = classify(command_, context_.settings());
    bool wholePath = kind_ == Kind::Cache ||
                     ((kind_ == Kind::Files || kind_ == Kind::FilesNC) && context_.settings().AllowSubFolders);
    if (wholePath) {
        firstArgument_ = remainingPath_;
    } else {
        firstArgument_ = text::cutWord(remainingPath_, '/');
    }
    // The peer address: forwarding headers come from the client and would let it pose
    // as another machine.
    clientIP_ = request_->peerAddress;
    params_ = request_->isPost() ? request_->contentFields : request_->queryFields;
    browserText_ = test32_ ? "HTML 3.2" : testWML_ ? "WML" : testXHTMLMP_ ? "XHTML MP" : request_->userAgent();
    if (kind_ && isSessionKind(*kind_)) readSessionAndTrack();
}

void TWFServer::readSessionAndTrack() {
    if (kind_ == Kind::Resize && params_.contains("WF_SessionID_")) {
        sessionID_ = params_.value("WF_SessionID_");
        trackText_ = params_.value("WF_TrackID_");
    } else if (kind_ == Kind::Stop) {
        sessionID_ = firstArgument_;
    } else {
        trackText_ = firstArgument_;
        sessionID_ = text::cutWord(remainingPath_, '/');
    }
    std::string bind = request_->queryFields.value("bind");
    if (!request_->isPost() && !bind.empty()) {
        if (std::optional<std::string> bound = context_.sessions().findBound(bind)) sessionID_ = *bound;
    }
}

void TWFServer::dispatchKind() {
    if (!kind_) return unrecognizedCommand();
    switch (*kind_) {
        case Kind::Start: return startRequest();
        case Kind::Exec: return pageRequest();
        case Kind::Update:
        case Kind::Upload:
            executeSessionRequest();
            ServerLog("Partial Update: " + sessionID_);
            return;
        case Kind::Resize: return resizeRequest();
        case Kind::Stop: return stopRequest();
        case Kind::Ping: return pingRequest();
        case Kind::Call: return unrecognizedCommand();
        default: return fileRequest();
    }
}

long long TWFServer::trackNumber() const {
    std::int64_t track = 0;
    if (!text::parseInt64(trackText_, track)) return 0;
    if (track > INT_MAX || track < INT_MIN) throw EWFException("Range check error");
    return track;
}

TWFBrowser TWFServer::requestBrowser() const { return DetectBrowser(browserText_); }

// ---- start request ----------------------------------------------------------------------

void TWFServer::startRequest() {
    cacheable_ = false;
    TWFServerControllerBase& settings = context_.settings();
    if (settings.MaxSessions != 0 && context_.sessions().count() >= settings.MaxSessions) {
        throw EWFException("The server holds as many sessions as it can. Please try again later.");
    }
    TWFSessionStart start;
    start.browserKind = requestBrowser();
    start.userAgent = browserText_;
    start.clientIP = clientIP_;
    start.referer = request_->referer();
    start.startParameters = request_->queryFields;
    start.settings = context_.state->settings;
    auto owned = std::make_unique<TWFApplication>(start);
    TWFApplication& session = *owned;
    session.BindValue = request_->queryFields.value("bind");
    CurrentSessionScope current(&session);
    std::string startAddress = pageAddress(settings, session.SessionID(), 0);
    session.SetStartAddress(startAddress);
    // Entered held: no other request may work on the session before it is set up.
    SessionLock held = context_.sessions().addHeld(std::move(owned));
    AttachedRequest attached(session, *request_, *response_);

    std::unique_ptr<IWFForm> mainForm;
    settings.newSession(session, mainForm);
    session.ShowStartForm(std::move(mainForm));
    IWFForm* page = session.ActiveForm();
    if (page != nullptr && page->isHTML40()) {
        response_->setContent(SizeProbePage(startAddress, session.SessionID(), settings.NoJavaScriptSupport.url()));
    } else if (request_->host.empty()) {
        response_->sendRedirect(startAddress);
    } else {
        std::string port = request_->serverPort == 80 ? "" : ":" + std::to_string(request_->serverPort);
        response_->sendRedirect("http://" + request_->host + port + startAddress);
    }
    ServerLog(LogTimePrefix() + "New session: " + session.SessionID());
}

// ---- page requests ----------------------------------------------------------------------

void TWFServer::pageRequest() {
    long long track = trackNumber();
    cacheable_ = track != 0;
    if (track == 0) {
        SessionLock held = context_.sessions().lock(sessionID_, requestBrowser(), clientIP_);
        IWFForm* page = held->ActiveForm();
        bool html40 = page != nullptr && page->isHTML40();
        held.release();
        if (html40) applyWindowSize();
    }
    executeSessionRequest();
    ServerLog("Execute: " + sessionID_);
}

void TWFServer::executeSessionRequest() {
    SessionLock held = context_.sessions().lock(sessionID_, requestBrowser(), clientIP_);
    TWFApplication& session = held.session();
    CurrentSessionScope current(&session);
    AttachedRequest attached(session, *request_, *response_);

    if (session.TrackID() == trackNumber()) {
        matchingRequest(session);
    } else {
        staleRequest(session);
    }
    if (!session.Terminated()) return;
    attached.detach();
    held.end();
}

void TWFServer::matchingRequest(TWFApplication& session) {
    IWFForm* previousPage = session.ActiveForm();
    bool endedWithRedirect = session.Terminated() && !session.RedirectURL().empty();
    if (!endedWithRedirect) session.ProcessSubmit(params_);
    if (session.Terminated()) return writeTerminationReply(session);
    if (response_->hasContent() || response_->sent) return;
    if (!session.RedirectURL().empty()) return writeRedirectPage(session.RedirectURL());
    bool pageChanged = session.ActiveForm() != previousPage;
    if (kind_ == Kind::Upload || (partialUpdate() && pageChanged)) {
        return writeNavigationScriptPage(session, partialUpdate());
    }
    renderActivePage(session);
}

void TWFServer::staleRequest(TWFApplication& session) {
    // The browser showed an older page (back button, refresh, double click): its values
    // are not applied and no handler runs; the current page comes back instead.
    if (context_.settings().ShowResyncWarning) session.ShowMessage(kResyncWarning, TWFShowMessageType::smAlert);
    answerWithoutSubmit(session);
}

void TWFServer::answerWithoutSubmit(TWFApplication& session) {
    if (session.Terminated()) return writeTerminationReply(session);
    if (!session.RedirectURL().empty()) return writeRedirectPage(session.RedirectURL());
    renderActivePage(session);
}

void TWFServer::renderActivePage(TWFApplication& session) {
    auto stream = std::make_unique<TWFRenderStream>();
    session.RenderActiveForm(stream->stream());
    stream->stream().flush();
    if (stream->size() > 0) response_->setContentStream(std::move(stream));
}

// ---- script replies ---------------------------------------------------------------------

std::string TWFServer::redirectHead(const std::string& address, int delaySeconds) const {
    if (partialUpdate()) {
        return "<script>\r\n" + std::string(kWFTop) + "WFTop().window.location.href = \"" +
               ScriptStringEscape(address) + "\";</script>";
    }
    return "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"" + std::to_string(delaySeconds) +
           ";URL=" + HtmlEscape(address, false, false) + "\">\r\n" + kNoCacheMetas;
}

void TWFServer::writeRedirectPage(const std::string& address) {
    response_->setContent("<html>\r\n<head>\r\n" + redirectHead(address, 0) + "\r\n</head></html>");
}

void TWFServer::writeTerminationReply(TWFApplication& session) {
    const std::string& address = session.RedirectURL();
    // The message is text, shown as written: its line breaks become "<br>".
    const std::string message = HtmlEscape(session.TerminateMessage(), true, false);
    response_->contentStream.reset();
    if (!address.empty() && message.empty()) return writeRedirectPage(address);
    if (!address.empty()) {
        response_->setContent("<html>\r\n<head>\r\n" + redirectHead(address, context_.settings().RedirectMsgDelay) +
                              "\r\n</head><body>" + message + "</body></html>");
        return;
    }
    if (!message.empty()) {
        // The message sits in a double-quoted literal of code that is itself a
        // single-quoted literal, so it is escaped once for each.
        response_->setContent("<html><head><script> " + std::string(kWFTop) +
                              "WFTop().setTimeout('document.writeln( \"<html><body>" +
                              ScriptCodeEscape(ScriptCodeEscape(message)) +
                              "</body></html>\");document.close();',0);</script></head></html>");
    }
}

void TWFServer::writeNavigationScriptPage(TWFApplication& session, bool previousPagePartial) {
    std::string hidden = previousPagePartial ? "Hidden" : "";
    // Both come from the post and land in script strings.
    std::string control = ScriptStringEscape(params_.value("WF_MainPageSubmitControl"));
    std::string controlParam = ScriptStringEscape(params_.value("WF_MainPageSubmitControlParam"));
    std::string page = "<html><head><script>" + std::string(kWFTop) +
                       "var p = WFTop().location.protocol + \"//\" + WFTop().location.host + \"" +
                       pageAddress(context_.settings(), session.SessionID(), session.TrackID()) + "\";\r\n";
    page += "WFTop().GSubmitting = false; WFTop().ValidClick = true;\r\n";
    if (control.empty()) {
        page += "WFTop().document." + hidden + "SubmitForm.action=p;\r\nWFTop().document." + hidden +
                "SubmitForm.submit();";
    } else {
        page += "WFTop().GSubmitter.action=p;\r\nWFTop().SubmitNextFile('" + control + "','" + controlParam +
                "');";
    }
    page += "\r\n</script></head></html>";
    response_->setContent(page);
}

// ---- window size, stop, ping ------------------------------------------------------------

void TWFServer::resizeRequest() {
    cacheable_ = false;
    applyWindowSize();
    if (trackNumber() != 0) {
        response_->setContent("<html><head><script>" + std::string(kWFTop) +
                              "\r\nWFTop().GSubmitting=false;\r\n</script></head></html>");
    }
}

void TWFServer::applyWindowSize() {
    cacheable_ = false;
    SessionLock held = context_.sessions().lock(sessionID_, requestBrowser(), clientIP_);
    TWFApplication& session = held.session();
    CurrentSessionScope current(&session);
    AttachedRequest attached(session, *request_, *response_);
    IWFForm* page = session.ActiveForm();
    if (page == nullptr || !page->isHTML40()) return;
    int width = text::toIntDef(text::trim(params_.value("WF_width")), page->width());
    int height = text::toIntDef(text::trim(params_.value("WF_height")), page->height());
    session.SetWindowSize(width, height);
    ServerLog("Resize: " + std::to_string(width) + "," + std::to_string(height));
}

void TWFServer::stopRequest() {
    cacheable_ = false;
    ServerLog("Explicit Stop: " + sessionID_);
    // A session that a request is still working on is left alone; it times out. Only a
    // stop that ended a session may send the browser on: otherwise any link to this
    // server could forward candidates to whatever host it names.
    bool ended = context_.sessions().removeIdle(sessionID_);
    if (!ended || remainingPath_.empty()) return;
    if (text::startsWithNoCase(remainingPath_, "_s_.")) {
        response_->sendRedirect("https://" + remainingPath_.substr(4));
    } else {
        response_->sendRedirect("http://" + remainingPath_);
    }
}

void TWFServer::pingRequest() {
    cacheable_ = false;
    // "/PING/<id>" is the keep-alive of an open page: it refreshes the session's idle
    // clock so that a candidate who reads for a long time does not lose the paper.
    if (!firstArgument_.empty()) context_.sessions().touch(firstArgument_);
}

void TWFServer::unrecognizedCommand() {
    ServerLog("Unrecognized Command: " + command_ + ":" + sessionID_);
    const std::string& target = context_.settings().InvalidCommandURL;
    if (!target.empty()) return response_->sendRedirect(target);
    throw EWFException("Unrecognized Command: " + std::string(": ") + command_ + ":" + sessionID_);
}

void TWFServer::fileRequest() {
    ServerLog(HandleFileRequest(context_, *kind_, firstArgument_, remainingPath_, cacheable_));
}

// ---- caching headers --------------------------------------------------------------------

void TWFServer::setCachingHeaders() {
    TimePoint now = Clock::now();
    TimePoint expiry;
    if (cacheable_) {
        expiry = now + std::chrono::minutes(context_.settings().CacheExpiry);
    } else {
        response_->lastModified.reset();
        response_->customHeaders.add("Pragma", "no-cache");
        expiry = now - std::chrono::hours(24);
    }
    if (expiry >= now) {
        if (!response_->customHeaders.contains("Expires")) {
            response_->customHeaders.add("Expires", formatHttpDate(expiry));
        }
    } else if (int at = response_->customHeaders.indexOf("Expires"); at >= 0) {
        response_->customHeaders.erase(static_cast<std::size_t>(at));
    }
    if (response_->lastModified) {
        response_->customHeaders.add("Last-Modified", formatHttpDate(*response_->lastModified));
        response_->lastModified.reset();
    }
    if (response_->contentStream) {
        response_->contentStream->rewind();
        response_->contentLength = static_cast<std::int64_t>(response_->contentStream->size());
    }
    SetCurrentSession(nullptr);
}

}  // namespace web
