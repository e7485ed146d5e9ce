#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "web/server/FieldList.h"
#include "web/server/IWFForm.h"
#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/TWFBrowser.h"
#include "web/server/TWFServerControllerBase.h"

namespace web {

// The per-session data object of the application; the session owns it.
class TWFUserData {
public:
    virtual ~TWFUserData() = default;
};

// What the start request tells about the browser that opens a session.
struct TWFSessionStart {
    TWFBrowser browserKind = TWFBrowser::brUnknown;
    std::string userAgent;
    std::string clientIP;
    std::string referer;
    FieldList startParameters;
    // The settings of the server the session lives in; the session keeps them alive.
    // Empty: those of ServerController() (sessions made without a server, in tests).
    std::shared_ptr<const TWFServerControllerBase> settings;
    // A session brought back under the id and track number it had (see SessionResumer);
    // an empty id gives a new one.
    std::string sessionID;
    long long trackID = 0;
};

// One browser session: its pages, its data object and the number that ties the
// browser's current page to the server's state. At most one request works on a session
// at a time (the session table's lock), so nothing here needs a lock of its own.
class TWFApplication {
public:
    explicit TWFApplication(const TWFSessionStart& start);
    ~TWFApplication();
    TWFApplication(const TWFApplication&) = delete;
    TWFApplication& operator=(const TWFApplication&) = delete;

    const std::string& SessionID() const { return sessionID_; }
    long long TrackID() const { return trackID_; }
    TWFBrowser BrowserKind() const { return browserKind_; }
    TWFRenderMode RenderMode() const { return renderMode_; }
    const std::string& ClientIP() const { return clientIP_; }
    const std::string& UserAgent() const { return userAgent_; }
    const std::string& FormActionURL() const { return formActionURL_; }
    const std::string& SessionCacheDir() const { return sessionCacheDir_; }
    // The session's cache address: "/Cache/user/<id>/".
    std::string SessionCacheURL() const;
    const FieldList& StartParameters() const { return startParameters_; }
    // The settings the session works with (see TWFSessionStart::settings); may be nullptr.
    const TWFServerControllerBase* Settings() const { return settings_ ? settings_.get() : ServerController(); }
    std::string BindValue;

    // --- pages ---------------------------------------------------------------------
    // Takes ownership of a page created for this session; returns it for showing.
    IWFForm& AdoptForm(std::unique_ptr<IWFForm> form);
    IWFForm* ActiveForm() const { return pages_.empty() ? nullptr : pages_.back(); }
    void FormShown(IWFForm& form);
    void FormHidden(IWFForm& form);
    // Hides the page and frees it once the current event handler has returned.
    void ReleaseForm(IWFForm& form);
    // Creates the start page (the hook's, else the registered main page) and shows it.
    void ShowStartForm(std::unique_ptr<IWFForm> hookForm);

    // --- requests --------------------------------------------------------------------
    void ProcessSubmit(FieldList params);
    // The shown page's keep-alive work (IWFForm::keepAlive); an error is dropped, as
    // there is no page reply to show it in.
    bool KeepAliveDue() const;
    void KeepAlive();
    void RenderActiveForm(std::ostream& out);
    void SetWindowSize(int width, int height);
    int WindowWidth() const { return windowWidth_; }
    int WindowHeight() const { return windowHeight_; }
    void AttachRequest(TInHTTPAppRequest* request, TInHTTPAppResponse* response);
    TInHTTPAppRequest* Request() const { return request_; }
    TInHTTPAppResponse* Response() const { return response_; }
    void SetStartAddress(std::string address) { formActionURL_ = std::move(address); }

    // --- messages and termination ---------------------------------------------------------
    void ShowMessage(const std::string& text,
                     TWFShowMessageType type = TWFShowMessageType::smAlert);
    void Terminate(const std::string& message = "");
    void TerminateAndRedirect(const std::string& address);
    bool Terminated() const { return terminated_; }
    const std::string& TerminateMessage() const { return terminateMessage_; }
    const std::string& RedirectURL() const { return redirectURL_; }
    void ClearRedirectURL() { redirectURL_.clear(); }

    // --- data object -----------------------------------------------------------------------
    TWFUserData* UserData() const { return userData_.get(); }
    void SetUserData(std::unique_ptr<TWFUserData> data) { userData_ = std::move(data); }

    // --- idle clock ----------------------------------------------------------------------
    TimePoint LastAccess() const { return lastAccess_.load(); }
    void Touch() { lastAccess_.store(Clock::now()); }
    std::chrono::milliseconds Timeout() const { return timeout_; }
    void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

private:
    void recomputeFormActionURL();
    void freeReleasedForms();
    void removeSessionCacheDir();

    std::shared_ptr<const TWFServerControllerBase> settings_;
    std::string sessionID_;
    long long trackID_ = 0;
    TWFBrowser browserKind_;
    TWFRenderMode renderMode_;
    std::string userAgent_;
    std::string clientIP_;
    std::string referer_;
    FieldList startParameters_;
    int windowWidth_ = -1;
    int windowHeight_ = -1;
    std::vector<std::unique_ptr<IWFForm>> ownedForms_;
    std::vector<IWFForm*> pages_;
    std::vector<IWFForm*> freeAfterRequest_;
    std::unique_ptr<TWFUserData> userData_;
    TInHTTPAppRequest* request_ = nullptr;
    TInHTTPAppResponse* response_ = nullptr;
    std::string formActionURL_;
    std::string sessionCacheDir_;
    bool terminated_ = false;
    std::string terminateMessage_;
    std::string redirectURL_;
    std::atomic<TimePoint> lastAccess_;
    TimePoint created_;
    std::chrono::milliseconds timeout_{std::chrono::minutes(10)};
};

// The session the calling thread is working for, or nullptr. Setting it returns the
// previous value.
TWFApplication* CurrentSession();
TWFApplication* SetCurrentSession(TWFApplication* session);

// Makes a session the thread's current session for one scope.
class CurrentSessionScope {
public:
    explicit CurrentSessionScope(TWFApplication* session) : previous_(SetCurrentSession(session)) {}
    ~CurrentSessionScope() { SetCurrentSession(previous_); }
    CurrentSessionScope(const CurrentSessionScope&) = delete;
    CurrentSessionScope& operator=(const CurrentSessionScope&) = delete;

private:
    TWFApplication* previous_;
};

// A new session id: 128 random bits as four base-36 pieces, 28 characters.
std::string NewSessionID();

}  // namespace web
