#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "web/server/CacheFolder.h"
#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/TWFBrowser.h"

namespace web {

class IWFForm;
class TWFApplication;
class SessionTable;

enum class TWFSessionTrackingMethod { tmURL, tmCookie, tmHidden };
enum class TWFComInitialization { ciNone, ciNormal, ciMultiThreaded };
enum class TWFShowMessageType { smAlert, smNewWindow, smSameWindow, smSameWindowFrame };
enum class TWFUnknownBrowserAction { ub32, ubWAP, ub40, ubReject };

// A setting that names either a file of the files folder or a URL; setting one clears the other.
class TWFFileReference {
public:
    void setFilename(std::string name) { filename_ = std::move(name); url_.clear(); }
    void setURL(std::string url) { url_ = std::move(url); filename_.clear(); }
    const std::string& filename() const { return filename_; }
    const std::string& url() const { return url_; }
    bool empty() const { return filename_.empty() && url_.empty(); }

private:
    std::string filename_;
    std::string url_;
};

using FormFactory = std::function<std::unique_ptr<IWFForm>(TWFApplication&)>;

// The settings object of the web runtime. The application derives its own class, sets its
// values in the constructor and registers a factory for it; each server creates one
// instance at start, owns it and hands it down every request (RequestContext).
class TWFServerControllerBase {
public:
    TWFServerControllerBase();
    virtual ~TWFServerControllerBase();
    TWFServerControllerBase(const TWFServerControllerBase&) = delete;
    TWFServerControllerBase& operator=(const TWFServerControllerBase&) = delete;

    // Completes the settings after the derived class set its values: reads "port.ini",
    // checks the values, fixes the folders and creates the cache folder.
    void loaded();

    // --- settings -------------------------------------------------------------------
    int Port = 0;
    std::string BoundIP;
    int ThreadPoolSize = 32;
    TWFComInitialization ComInitialization = TWFComInitialization::ciNone;
    std::string AppName;
    std::string Description;
    std::string ExecCmd = "EXEC";
    std::string StartCmd;
    TWFSessionTrackingMethod SessionTrackingMethod = TWFSessionTrackingMethod::tmURL;
    int SessionTimeout = 10;  // minutes, 0 to 600
    int CacheExpiry = 120;    // minutes
    bool ShowResyncWarning = true;
    TWFShowMessageType ExceptionDisplayMode = TWFShowMessageType::smAlert;
    TWFBrowsers SupportedBrowsers = defaultSupportedBrowsers();
    TWFUnknownBrowserAction UnknownBrowserAction = TWFUnknownBrowserAction::ubReject;
    bool Netscape4As32 = true;
    bool Netscape6As32 = true;
    bool IExplorer4As32 = true;
    bool RestrictIPs = false;
    bool RestrictSubnet = false;
    bool AllowSubFolders = false;
    std::string InternalFilesURL = "/";
    std::string URLBase;
    std::vector<std::string> HTMLHeaders;
    TWFFileReference StyleSheet;
    TWFFileReference SessionTimeoutURL;
    TWFFileReference UnknownBrowser;
    TWFFileReference DeviceNotSupported;
    TWFFileReference NoJavaScriptSupport;
    std::string InvalidCommandURL;
    bool DebugHTML = false;
    std::string CharSet;
    int RedirectMsgDelay = 0;
    std::string TemplateDirName = "Templates";
    // Keeps a session whose page is still shown alive: the page pings this often.
    int KeepAliveSeconds = 60;
    // Live sessions allowed at once; fixed at start from the open-file limit when 0.
    std::size_t MaxSessions = 0;
    // Test programs shorten the idle limit and the time-out check below a minute.
    std::chrono::milliseconds SessionIdleLimitOverride{0};
    std::chrono::milliseconds SessionCheckInterval{std::chrono::seconds(60)};
    std::chrono::milliseconds CachePurgeInterval{std::chrono::seconds(15)};

    std::chrono::milliseconds sessionIdleLimit() const {
        return SessionIdleLimitOverride.count() > 0 ? SessionIdleLimitOverride
                                                     : std::chrono::milliseconds(std::chrono::minutes(SessionTimeout));
    }

    static constexpr const char* kVersion = "4.1.0";
    const char* Version() const { return kVersion; }

    // --- hooks ----------------------------------------------------------------------
    // Runs for every new session before its start page is chosen; may supply the page.
    std::function<void(TWFApplication& session, std::unique_ptr<IWFForm>& mainForm)> OnNewSession;
    // The page class every new HTML 4.0 session starts on.
    FormFactory MainForm40;
    // Answers requests for the application's own site before they are dispatched (paths
    // outside the runtime's URL scheme); returns true when it answered. Runs without a
    // session; `sessions` is the server's table, for figures only.
    std::function<bool(const TInHTTPAppRequest& request, TInHTTPAppResponse& response, const SessionTable& sessions)>
        OnSiteRequest;

    // --- folders and addresses --------------------------------------------------------
    const std::string& programFolder() const { return programFolder_; }
    const std::string& filesFolder() const { return filesFolder_; }
    // This run's private cache folder (empty until loaded() created it).
    const std::string& cacheFolder() const;
    const std::string& templateFolder() const { return templateFolder_; }
    // What was wrong with a "port.ini" that gave no port (the default Port stays); empty
    // when the file is missing or fine.
    const std::string& portIniProblem() const { return portIniProblem_; }
    std::string filesURL() const { return URLBase + InternalFilesURL + "Files/"; }
    std::string cacheURL() const { return URLBase + InternalFilesURL + "Cache/"; }
    // Milliseconds since 30 December 1899 at creation, in base 36 (starts the cache folder's name).
    const std::string& runStamp() const { return runStamp_; }
    // The modification time announced for internal resources.
    TimePoint internalResourceStamp() const { return internalResourceStamp_; }

    // Overrides the program folder (tests run the runtime from other folders).
    void setProgramFolder(std::string folder);

    // The new-session operation: calls OnNewSession.
    void newSession(TWFApplication& session, std::unique_ptr<IWFForm>& mainForm);

private:
    void readPortIni();

    std::string programFolder_;
    std::string filesFolder_;
    std::unique_ptr<CacheFolder> cacheFolder_;
    std::string templateFolder_;
    std::string portIniProblem_;
    std::string runStamp_;
    TimePoint internalResourceStamp_;
};

using ControllerFactory = std::function<std::unique_ptr<TWFServerControllerBase>()>;

// The application registers its controller class once; the server creates it at start.
void RegisterServerController(ControllerFactory factory);
const ControllerFactory& RegisteredServerController();

// The settings of the server whose request the calling thread answers; outside a request
// the ones given to SetServerController (programs that render pages without a server, such
// as tests), else nullptr. Page code reads them here; the request path gets them handed.
TWFServerControllerBase* ServerController();
void SetServerController(TWFServerControllerBase* controller);

// Makes a server's settings the calling thread's for the scope of one request.
class RequestSettingsScope {
public:
    explicit RequestSettingsScope(TWFServerControllerBase* settings);
    ~RequestSettingsScope();
    RequestSettingsScope(const RequestSettingsScope&) = delete;
    RequestSettingsScope& operator=(const RequestSettingsScope&) = delete;

private:
    TWFServerControllerBase* previous_;
};

// The folder of the running program, with a trailing "/".
std::string ProgramFolder();
// $TMPDIR or /tmp, with a trailing "/".
std::string TemporaryFolder();

}  // namespace web
