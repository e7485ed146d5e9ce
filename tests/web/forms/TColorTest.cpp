#include <gtest/gtest.h>

#include "web/forms/OutputLineBreak.h"
#include "web/forms/TColor.h"

namespace web::forms {
namespace {

TEST(HtmlColorTest, WritesRedGreenBlueInUpperCaseHex) {
    const std::pair<TColor, const char*> cases[] = {
        {clNone, ""},
        {clTransparent, "transparent"},
        {732280, "#782C0B"},
        {8366590, "#FEA97F"},
        {clRed, "#FF0000"},
        {clBlue, "#0000FF"},
        {clWebTAN, "#D2B48C"},
        {clWebWHITE, "#FFFFFF"},
        {clWebMEDIUMAQUAMARINE, "#66CDAA"},
        {clBtnFace, "#D4D0C8"},
        {clWindowText, "#000000"},
        {clWindow, "#FFFFFF"},
    };
    for (auto [color, expected] : cases) EXPECT_EQ(htmlColor(color), expected) << color.value();
}

TEST(HtmlColorTest, SystemColoursAreDistinctFromPlainNumbers) {
    EXPECT_NE(clWindowText, clBlack);
    EXPECT_EQ(colorToRGB(clWindowText), colorToRGB(clBlack));
}

TEST(OutputLineBreakTest, FollowsDebugHTML) {
    EXPECT_EQ(OutputLineBreak(), "");
    setOutputLineBreak(true);
    EXPECT_EQ(OutputLineBreak(), "\r\n");
    setOutputLineBreak(false);
    EXPECT_EQ(OutputLineBreak(), "");
}

}  // namespace
}  // namespace web::forms
