#pragma once

#include "app/vendor/VendorSite.h"
#include "web/server/TWFServerControllerBase.h"

namespace exam {

// The exam application's server settings: port 89, ten-minute sessions, pages in
// gb2312 with the application's style sheet.
class TWFServerController : public web::TWFServerControllerBase {
public:
    TWFServerController();
};

// Registers the controller class and the start page with the web runtime, and the
// built-in vendor site with `site`; the host calls it once before it starts the server.
void RegisterExamApplication(vendor::VendorSiteSettings site = {});

}  // namespace exam
