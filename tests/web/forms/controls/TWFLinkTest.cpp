#include "tests/web/forms/controls/BasicControlPage.h"
#include "web/forms/controls/TWFLink.h"
#include "web/server/Errors.h"

namespace web::forms::testing_pages {
namespace {

class TWFLinkTest : public BasicControlPage {
protected:
    TWFLinkTest() : link(add<TWFLink>("WFLink1")) {
        link.Left = 20;
        link.Top = 30;
        link.Caption = "【返回】";
        link.OnClick = [this](TWFControl& sender) {
            ++clicks;
            sender_ = &sender;
        };
    }

    TWFLink& link;
    int clicks = 0;
    TWFControl* sender_ = nullptr;
};

TEST_F(TWFLinkTest, ClickableLinkIsAnAnchorWhoseClickPostsItsName) {
    link.Confirmation = "您确认要返回主界面吗？It's lost";
    render();
    EXPECT_EQ(body(),
              "<form onsubmit=\"return FormDefaultSubmit();\">\r\n"
              "  <a href=\"javascript:void(0);\" class=\"WFLINK1CSS\" id=\"WFLINK1\" "
              "tabindex=\"2\">【返回】</a>\r\n"
              "</form>");
    EXPECT_EQ(
        styleRules(),
        ".WFLINK1CSS {position:absolute;left:20;top:30;z-index:100;width:65;height:17;font-style:normal;"
        "font-size:13px;text-decoration: underline;}\r\n");
    EXPECT_TRUE(
        contains(pageScript(),
                 "function WFLINK1_onclick(event) {\r\n"
                 "if (document.getElementById('WFLINK1').href) {SubmitClickConfirm('WFLINK1','', false, "
                 "'您确认要返回主界面吗？It\\'s lost');return false;} else return false;}\r\n"));
    EXPECT_TRUE(contains(layoutScript(),
                         "if (WFLINK1WFCL != null) WFLINK1WFCL.HookEvent(\"click\",WFLINK1_onclick);"));
    EXPECT_FALSE(contains(submitForm(), "name=\"WFLINK1\""));
}

TEST_F(TWFLinkTest, AddressDependsOnTheBrowser) {
    const std::pair<web::TWFBrowser, std::string> cases[] = {
        {web::TWFBrowser::brIE, "<a href=\"WFLINK1\""},
        {web::TWFBrowser::brOpera, "<a href=\"#\""},
        {web::TWFBrowser::brNetscape7, "<a href=\"javascript:void(0);\""},
    };
    for (const auto& [browser, anchor] : cases) {
        useBrowser(browser);
        render();
        EXPECT_TRUE(contains(body(), anchor)) << body();
    }
}

TEST_F(TWFLinkTest, AlignedLinkSitsInADivThatAlignsIt) {
    link.Alignment = TAlignment::taRightJustify;
    link.Caption = "a < b\r\nc";
    link.Color = clRed;
    render();
    EXPECT_TRUE(
        contains(body(),
                 "<div style=\"text-align:right;\" class=\"WFLINK1CSS\" id=\"WFLINK1\" tabindex=\"2\">"
                 "<a href=\"javascript:void(0);\" style=\"font-style:normal;font-size:13px;"
                 "text-decoration: underline;\">a &lt; b<br>c</a></div>"))
        << body();
    EXPECT_TRUE(contains(styleRules(), "text-decoration: underline;background-Color: #FF0000;}"));
    EXPECT_TRUE(contains(pageScript(), "if (document.getElementById('WFLINK1').childNodes[0].href) {"));
}

TEST_F(TWFLinkTest, LinkThatCannotBeClickedShowsAsText) {
    link.Caption = "<b>x</b> &";
    link.OnClick = nullptr;
    render();
    EXPECT_TRUE(
        contains(body(),
                 "<span style=\"text-align:left;\" class=\"WFLINK1CSS\" id=\"WFLINK1\" tabindex=\"2\">"
                 "&lt;b&gt;x&lt;/b&gt; &</span>"))
        << body();
    EXPECT_TRUE(
        contains(pageScript(), "{\r\nif (document.getElementById('WFLINK1').href) {} else return false;}"));

    link.OnClick = [this](TWFControl&) { ++clicks; };
    link.Enabled = false;
    link.RawText = true;
    render();
    EXPECT_TRUE(contains(body(), "id=\"WFLINK1\" tabindex=\"2\"><b>x</b> &</span>")) << body();
    // A disabled link is out of reach of a post naming it.
    EXPECT_THROW(post({{"WF_Action", "WFLINK1"}, {"WF_ActionParam", ""}}), web::EWFException);
    EXPECT_EQ(clicks, 0);
}

TEST_F(TWFLinkTest, ClickFiresOnClickWithItsParameter) {
    render();
    post({{"WF_Action", "WFLINK1"}, {"WF_ActionParam", "row 3"}});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(sender_, &link);
    EXPECT_EQ(link.LastParameter(), "row 3");
}

}  // namespace
}  // namespace web::forms::testing_pages
