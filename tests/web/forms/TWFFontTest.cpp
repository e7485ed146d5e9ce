#include <gtest/gtest.h>

#include "web/forms/TWFFont.h"

namespace web::forms {
namespace {

using web::TWFBrowser;

TEST(FontPixelsTest, ConvertsPointsAt96Dpi) {
    const std::pair<int, int> cases[] = {{9, 12}, {10, 13}, {11, 15}, {12, 16}, {16, 21}, {0, 0}, {-10, -13}};
    for (auto [points, pixels] : cases) EXPECT_EQ(fontPixels(points), pixels) << points;
}

TWFFont font(int size, TFontStyles style, std::string name = "", TColor color = clWindowText) {
    TWFFont f;
    f.Size = size;
    f.Style = style;
    f.FontName = std::move(name);
    f.Color = color;
    return f;
}

TEST(TWFFontTest, ExplorerGetsTheFontShorthand) {
    EXPECT_EQ(font(12, {TFontStyle::fsBold}, "黑体").styleText(TWFBrowser::brIE),
              "font: bold 16px '黑体';text-decoration: none;");
    EXPECT_EQ(
        font(10, {TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline, TFontStyle::fsStrikeOut})
            .styleText(TWFBrowser::brIE),
        "font: italic bold 13px;text-decoration: underline line-through;");
    EXPECT_EQ(font(9, {TFontStyle::fsUnderline}, "", clRed).styleText(TWFBrowser::brIE),
              "font: 12px;text-decoration: underline;color:#FF0000;");
}

TEST(TWFFontTest, OtherBrowsersGetSeparateProperties) {
    EXPECT_EQ(font(10, {}).styleText(TWFBrowser::brNetscape7),
              "font-style:normal;font-size:13px;text-decoration: none;");
    EXPECT_EQ(
        font(9, {TFontStyle::fsItalic, TFontStyle::fsBold, TFontStyle::fsStrikeOut}, "Arial", 732280)
            .styleText(TWFBrowser::brSafari),
        "font-style:italic;font-weight:bold;font-size:12px;font-family:'Arial';text-decoration: line-through;"
        "color:#782C0B;");
    EXPECT_EQ(font(12, {TFontStyle::fsBold}, "", clNone).styleText(TWFBrowser::brOpera),
              "font-weight:bold;font-size:16px;text-decoration: none;");
}

TEST(TWFFontTest, SiteClassSuppressesTheFontStyle) {
    TWFFont withClass = font(12, {TFontStyle::fsBold}, "黑体", clRed);
    withClass.CSSStyle = "btn";
    EXPECT_EQ(withClass.styleText(TWFBrowser::brIE), "");
}

}  // namespace
}  // namespace web::forms
