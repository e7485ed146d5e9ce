#include "tests/web/forms/controls/BasicControlPage.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFText.h"

namespace web::forms::testing_pages {
namespace {

class TWFTextTest : public BasicControlPage {
protected:
    TWFTextTest() : text(add<TWFText>("WFText1")) { text.Lines = {"<b>a  b</b>", "x & y"}; }

    TWFText& text;
};

TEST_F(TWFTextTest, ContentFollowsRawTextWantReturnsAndConvertSpaces) {
    struct Case {
        bool raw, wantReturns, convertSpaces;
        std::string content;
    };
    const Case cases[] = {
        {false, true, false, "&lt;b&gt;a  b&lt;/b&gt;<br>x & y<br>"},
        {false, false, false, "&lt;b&gt;a  b&lt;/b&gt;\r\nx & y\r\n"},
        {false, true, true, "&lt;b&gt;a&nbsp;&nbsp;b&lt;/b&gt;<br>x&nbsp;&&nbsp;y<br>"},
        {true, true, false, "<b>a  b</b>\r\nx & y\r\n"},
        {true, false, true, "<b>a  b</b>x & y"},
    };
    for (const Case& c : cases) {
        text.RawText = c.raw;
        text.WantReturns = c.wantReturns;
        text.ConvertSpaces = c.convertSpaces;
        render();
        EXPECT_EQ(body(), "<div class=\"WFTEXT1CSS\" id=\"WFTEXT1\">" + c.content + "</div>");
    }
}

TEST_F(TWFTextTest, TextStandsOutsideTheFormWrappers) {
    text.TabOrder = 1;
    text.BGColor = clWhite;
    add<TWFLink>("WFLink1", 0).OnClick = [](TWFControl&) {};
    add<TWFLink>("WFLink2", 2).OnClick = [](TWFControl&) {};
    render();
    std::string out = body();
    EXPECT_LT(out.find("WFLINK1"), out.find("</form><div class=\"WFTEXT1CSS\""));
    EXPECT_LT(out.find("</div><form onsubmit="), out.find("WFLINK2"));
    EXPECT_TRUE(contains(styleRules(),
                         ".WFTEXT1CSS {position:absolute;left:0;top:0;z-index:100;font-style:normal;"
                         "font-size:13px;text-decoration: none; background-color: #FFFFFF;}"));
}

TEST_F(TWFTextTest, FramedTextScrollsInAnInsetBox) {
    text.UseFrame = true;
    text.Width = 200;
    text.Height = 80;
    render();
    EXPECT_EQ(
        body(),
        "<div style=\"border-style:inset;border-width:2;overflow:auto;padding:0;"
        "clip:rect(0px,204px,84px,0px);\" class=\"WFTEXT1CSS\" id=\"WFTEXT1\"><div style=\"font-style:"
        "normal;font-size:13px;text-decoration: none;\">&lt;b&gt;a  b&lt;/b&gt;<br>x & y<br></div></div>");
    EXPECT_TRUE(contains(styleRules(), "z-index:100;width:200;height:80;"));
    EXPECT_TRUE(contains(layoutScript(), "if (WFTEXT1WFCL) {\r\nWFTEXT1WFCL.BorderWidthPixels = 2;\r\n}"));
}

}  // namespace
}  // namespace web::forms::testing_pages
