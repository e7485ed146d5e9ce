#include <gtest/gtest.h>

#include "web/forms/ControlStyle.h"
#include "web/forms/TWFBorderOptions.h"
#include "web/forms/TWFHTMLTag.h"

namespace web::forms {
namespace {

using web::TWFBrowser;

TWFControlStyleInput label(int left, int top, int width, int height) {
    TWFControlStyleInput input;
    input.Left = left;
    input.Top = top;
    input.Width = width;
    input.Height = height;
    input.Font.Size = 9;
    input.browser = TWFBrowser::brNetscape7;
    return input;
}

TEST(ControlStyleTest, ControlOnThePage) {
    TWFControlStyle style = buildControlStyle(label(10, 8, 960, 16), "WFLABEL1TWFFRAME111");
    EXPECT_EQ(style.className, "WFLABEL1TWFFRAME111CSS");
    EXPECT_EQ(style.headRule(),
              ".WFLABEL1TWFFRAME111CSS {position:absolute;left:10;top:8;z-index:100;width:960;height:16;"
              "font-style:normal;font-size:12px;text-decoration: none;}\r\n");
}

TEST(ControlStyleTest, RegionBordersShiftTheirChildrenPerBrowser) {
    const std::tuple<TWFBrowser, int, const char*> cases[] = {
        {TWFBrowser::brIE, 1, "position:absolute;left:55;top:63;"},
        {TWFBrowser::brNetscape7, 1, "position:absolute;left:55;top:63;"},
        {TWFBrowser::brOpera, 1, "position:absolute;left:54;top:62;"},
        {TWFBrowser::brSafari, 1, "position:absolute;left:53;top:61;"},
        {TWFBrowser::brSafari, 0, "position:absolute;left:55;top:63;"},
        {TWFBrowser::brIE, 0, "position:absolute;left:56;top:64;"},
    };
    for (auto [browser, border, expected] : cases) {
        TWFControlStyleInput input = label(56, 64, 10, 10);
        input.placement = TWFPlacement::Region;
        input.regionBorderWidth = border;
        input.browser = browser;
        EXPECT_TRUE(buildControlStyle(input, "G").styleText.starts_with(expected)) << expected;
    }
}

TEST(ControlStyleTest, FrameRegionTakesTheFramePosition) {
    TWFControlStyleInput input = label(0, 0, 980, 60);
    input.frameOrigin = TWFPoint{10, 614};
    input.ZIndex = 1000;
    EXPECT_TRUE(buildControlStyle(input, "R")
                    .styleText.starts_with("position:absolute;left:10;top:614;z-index:1100;"));
}

TEST(ControlStyleTest, GeckoRegionsCountTheirBorderInsideTheSize) {
    TWFControlStyleInput input = label(0, 0, 300, 200);
    input.isRegion = true;
    input.ownBorderWidth = 1;
    input.clipContent = true;
    input.placement = TWFPlacement::Other;
    input.ZIndex = -100;
    input.Font.CSSStyle = "qbk";
    input.RenderSize = true;
    input.browser = TWFBrowser::brNetscape6;
    EXPECT_EQ(buildControlStyle(input, "R").styleText,
              "width:298;height:198;clip:rect(0px,298px,198px,0px);");
    input.browser = TWFBrowser::brIE;
    EXPECT_EQ(buildControlStyle(input, "R").styleText,
              "width:300;height:200;clip:rect(0px,300px,200px,0px);");
}

TEST(ControlStyleTest, SiteClassWithoutRenderSizeStopsAfterZIndex) {
    TWFControlStyleInput input = label(48, 88, 321, 25);
    input.Font.CSSStyle = "btn";
    TWFControlStyle style = buildControlStyle(input, "WFBUTTON1");
    EXPECT_EQ(style.styleText, "position:absolute;left:48;top:88;z-index:100;");
    EXPECT_EQ(style.className, "btn");
    EXPECT_EQ(style.headRule(), "");
}

TEST(ControlStyleTest, AutoSizedControlsOmitTheirSizeUnlessRenderSize) {
    TWFControlStyleInput input = label(1, 2, 30, 40);
    input.AutoSize = true;
    EXPECT_EQ(buildControlStyle(input, "L").styleText.find("width:"), std::string::npos);
    input.RenderSize = true;
    EXPECT_NE(buildControlStyle(input, "L").styleText.find("width:30;height:40;"), std::string::npos);
}

TEST(ControlStyleTest, CursorEndsTheStyle) {
    TWFControlStyleInput input = label(0, 0, 1, 1);
    input.Cursor = TWFCursor::crPointer;
    EXPECT_TRUE(buildControlStyle(input, "L").styleText.ends_with("text-decoration: none;cursor :pointer;"));
    input.Cursor = TWFCursor::crEResize;
    EXPECT_TRUE(buildControlStyle(input, "L").styleText.ends_with("cursor :e-resize;"));
}

TEST(ControlAttributesTest, OwnClassIdTabIndexAndHintTitle) {
    TWFHTMLTag tag("div");
    TWFControlStyle style = buildControlStyle(label(0, 0, 1, 1), "WFLABEL3");
    applyControlAttributes(tag, style, {"WFLABEL3", false, 2, true, "It's \"new\""});
    EXPECT_EQ(
        tag.render(),
        "<div class=\"WFLABEL3CSS\" id=\"WFLABEL3\" tabindex=\"3\" title=\"It&#39s &quot;new&quot;\"></div>");
}

TEST(ControlAttributesTest, SiteClassStyleGoesInFrontOfTheTagsStyle) {
    TWFHTMLTag tag("input");
    tag.setAttribute("id", "own");
    tag.setAttribute("style", "text-align:left;");
    TWFControlStyleInput input = label(50, 56, 320, 21);
    input.Font.CSSStyle = "srk";
    applyControlAttributes(tag, buildControlStyle(input, "WFEDIT1"),
                           {"WFEDIT1", true, std::nullopt, true, ""});
    EXPECT_EQ(tag.render(),
              "<input id=\"own\" style=\"position:absolute;left:50;top:56;z-index:100;text-align:left;\" "
              "class=\"srk\" name=\"WFEDIT1\">");
}

TEST(ControlAttributesTest, HintOnlyWhenShown) {
    TWFHTMLTag tag("a");
    applyControlAttributes(tag, buildControlStyle(label(0, 0, 1, 1), "WFLINK1"),
                           {"WFLINK1", false, {}, false, "x"});
    EXPECT_FALSE(tag.hasAttribute("title"));
}

TEST(BorderPixelWidthTest, PerStyleAndWidth) {
    using S = TWFBorderStyle;
    using W = TWFBorderWidth;
    const std::tuple<S, W, int, int> cases[] = {
        {S::cbsNone, W::cbwNumeric, 5, 0}, {S::cbsHidden, W::cbwThick, 0, 0},
        {S::cbsSolid, W::cbwThin, 9, 1},   {S::cbsInset, W::cbwMedium, 9, 3},
        {S::cbsDotted, W::cbwThick, 9, 5}, {S::cbsSolid, W::cbwNumeric, 7, 7},
    };
    for (auto [style, width, numeric, expected] : cases) {
        EXPECT_EQ(borderPixelWidth({clNone, style, width, numeric}), expected);
    }
}

}  // namespace
}  // namespace web::forms
