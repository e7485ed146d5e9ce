#include "tests/web/forms/controls/BasicControlPage.h"
#include "web/forms/controls/TWFURLWindow.h"

namespace web::forms::testing_pages {
namespace {

class TWFURLWindowTest : public BasicControlPage {
protected:
    TWFURLWindowTest() : window(add<TWFURLWindow>("WFURLWindow1")) {
        window.Left = 320;
        window.Width = 660;
        window.Height = 60;
        window.Scrolling = TWFURLWindowScrolling::usNo;
        window.URI = "http://vendor.example/banner.asp?a=1&b=2";
    }

    TWFURLWindow& window;
};

TEST_F(TWFURLWindowTest, FrameLoadsItsAddressFromInitialize) {
    render();
    EXPECT_EQ(body(),
              "<iframe width=\"660\" height=\"60\" frameborder=\"0\" marginwidth=\"0\" marginheight=\"0\" "
              "name=\"WFURLWINDOW1\" SCROLLING=NO class=\"WFURLWINDOW1CSS\" id=\"WFURLWINDOW1\"></iframe>");
    EXPECT_TRUE(contains(initialize(),
                         "InitWFCLObjects();\r\n"
                         "frames['WFURLWINDOW1'].location.href='http://vendor.example/banner.asp?a=1&b=2'"
                         "\r\nBody_OnResize();"));
}

TEST_F(TWFURLWindowTest, WindowWithoutTabStopIsLeftOutOfTheTabOrder) {
    window.TabStop = false;
    render();
    EXPECT_TRUE(contains(body(), "SCROLLING=NO tabindex=\"-1\" class=")) << body();
}

TEST_F(TWFURLWindowTest, OptionalAttributesAndAnEmptyAddress) {
    window.URI.clear();
    window.LongDesc = "the \"banner\"";
    window.Border = true;
    window.MarginWidth = 4;
    window.Scrolling = TWFURLWindowScrolling::usAuto;
    render();
    EXPECT_TRUE(
        body().starts_with("<iframe longdesc=\"the &quot;banner&quot;\" width=\"660\" height=\"60\" "
                           "frameborder=\"1\" marginwidth=\"4\" marginheight=\"0\" name=\"WFURLWINDOW1\" "
                           "SCROLLING=AUTO class="))
        << body();
    EXPECT_FALSE(contains(initialize(), "location.href"));
    // An apostrophe in the address cannot end the script string.
    window.URI = "http://x.example/it's";
    render();
    EXPECT_TRUE(contains(initialize(), "location.href='http://x.example/it\\'s'"));
}

}  // namespace
}  // namespace web::forms::testing_pages
