#include "app/PageFrames.h"

#include <gtest/gtest.h>

#include "app/VendorServices.h"
#include "tests/support/RuntimeFixture.h"
#include "web/server/TWFApplication.h"

namespace exam {
namespace {

class FramedPage : public web::forms::TWFAppForm {
public:
    FramedPage() : TWFAppForm("WFForm5", "TWFForm5", 1000, 679) {
        ApplyExamPageSettings(*this, "考试页面---栎川考试系统");
        PlaceHeaderFrame(*this, 10, 0);
        PlaceFooterFrame(*this, 10, 614);
    }
};

TEST(PageFramesTest, HeaderAndFooterRenderUnderTheirInstanceNames) {
    testing_support::RuntimeFixture runtime;
    web::TWFApplication session{web::TWFSessionStart{}};
    FramedPage page;
    std::string html = page.RenderDocument(session);
    // The header: the banner image without size, the vendor's banner page loaded by script.
    EXPECT_NE(html.find("<img src=\"/Files/til.jpg\" name=\"WFIMAGEFILE1TWFFRAME101\" border=\"0\""),
              std::string::npos);
    EXPECT_NE(html.find("frames['WFURLWINDOW1TWFFRAME101'].location.href='" + VendorBannerAddress() + "'"),
              std::string::npos);
    EXPECT_NE(html.find(".TWFFRAME101WFFRAMEREGIONCSS {position:absolute;left:10;top:0;"), std::string::npos);
    EXPECT_NE(html.find(".TWFFRAME111WFFRAMEREGIONCSS {position:absolute;left:10;top:614;"), std::string::npos);
    // The footer's support line is markup on purpose.
    EXPECT_NE(html.find("技术支持：<a href=\"" + VendorHomeAddress() + "\" target=\"_blank\">枫岚软件工作室 </a>"),
              std::string::npos);
    EXPECT_NE(html.find("WFLABEL1TWFFRAME111"), std::string::npos);
    // Header at the top only, footer at the bottom only.
    EXPECT_NE(html.find("TWFFRAME101WFFRAMEREGIONWFCL.SetAnchors(new CreateAnchors(false, false, true, false));"),
              std::string::npos);
    EXPECT_NE(html.find("TWFFRAME111WFFRAMEREGIONWFCL.SetAnchors(new CreateAnchors(false, false, false, true));"),
              std::string::npos);
    EXPECT_NE(html.find("background=\"/Files/img01.jpg\""), std::string::npos);
}

}  // namespace
}  // namespace exam
