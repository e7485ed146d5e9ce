#include "app/TWFServerController.h"

#include "app/TWFUserSession.h"
#include "app/pages/home/TWFForm2.h"
#include "web/forms/CodePage.h"

namespace exam {

TWFServerController::TWFServerController() {
    Port = 89;
    SessionTimeout = 10;
    SessionTrackingMethod = web::TWFSessionTrackingMethod::tmURL;
    ThreadPoolSize = 32;
    HTMLHeaders = {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />"};
    StyleSheet.setFilename("bjcss.css");
    AppName = "MyApp";
    Description = "My Tessel Application";
    CacheExpiry = 120;
    ComInitialization = web::TWFComInitialization::ciMultiThreaded;
    DebugHTML = false;
    ExceptionDisplayMode = web::TWFShowMessageType::smAlert;
    ExecCmd = "EXEC";
    InternalFilesURL = "/";
    Netscape4As32 = true;
    Netscape6As32 = true;
    IExplorer4As32 = true;
    RestrictIPs = false;
    RestrictSubnet = false;
    RedirectMsgDelay = 0;
    ShowResyncWarning = true;
    SupportedBrowsers = web::defaultSupportedBrowsers();
    UnknownBrowserAction = web::TWFUnknownBrowserAction::ubReject;
    AllowSubFolders = false;
    OnNewSession = WFServerControllerBaseNewSession;
}

void RegisterExamApplication(vendor::VendorSiteSettings site) {
    // The pages are written in gb2312: the encoder's table is built now, not while the
    // first candidate waits for a page.
    web::forms::EncodeForCharset("", "gb2312");
    auto vendorSite = std::make_shared<const vendor::VendorSite>(std::move(site));
    web::RegisterServerController([vendorSite] {
        auto controller = std::make_unique<TWFServerController>();
        controller->MainForm40 = [](web::TWFApplication&) { return std::make_unique<TWFForm2>(); };
        // The hook belongs to the settings it reads the port from, so they outlive it.
        const web::TWFServerControllerBase* settings = controller.get();
        controller->OnSiteRequest = [vendorSite, settings](const web::TInHTTPAppRequest& request,
                                                           web::TInHTTPAppResponse& response,
                                                           const web::SessionTable& sessions) {
            return vendorSite->Answer(request, response, &sessions, settings->Port);
        };
        return controller;
    });
}

}  // namespace exam
