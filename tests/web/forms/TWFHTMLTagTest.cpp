#include <gtest/gtest.h>

#include <sstream>

#include "web/forms/TWFHTMLTag.h"

namespace web::forms {
namespace {

TEST(TWFHTMLTagTest, LowerCasesNamesAndQuotesValuesVerbatim) {
    TWFHTMLTag tag("SPAN");
    tag.setAttribute("Title", "a & <b>");
    tag.addBareAttribute("NOWRAP");
    EXPECT_EQ(tag.render(), "<span title=\"a & <b>\" NOWRAP></span>");
}

TEST(TWFHTMLTagTest, EmptyValueSetsNothingAndResettingKeepsThePlace) {
    TWFHTMLTag tag("td");
    tag.setAttribute("align", "left");
    tag.setAttribute("width", "");
    tag.setAttribute("valign", "top");
    tag.setAttribute("ALIGN", "center");
    EXPECT_EQ(tag.render(), "<td align=\"center\" valign=\"top\"></td>");
    EXPECT_EQ(tag.params().size(), 2u);
}

TEST(TWFHTMLTagTest, TypedAttributes) {
    TWFHTMLTag tag("table");
    tag.setIntAttribute("border", 0);
    tag.setIntAttribute("left", -5);
    tag.setBoolAttribute("on", true);
    tag.setBoolAttribute("off", false);
    tag.setColorAttribute("bgcolor", clNone);
    tag.setColorAttribute("bordercolor", clWebTAN);
    tag.setColorAttribute("color", clTransparent);
    EXPECT_EQ(tag.render(),
              "<table border=\"0\" left=\"-5\" on=\"true\" off=\"false\" bordercolor=\"#D2B48C\" "
              "color=\"transparent\"></table>");
}

TEST(TWFHTMLTagTest, VoidElementsHaveNoClosingTag) {
    const std::pair<const char*, const char*> cases[] = {
        {"area", "<area>"}, {"br", "<br>"},       {"frame", "<frame>"}, {"hr", "<hr>"},
        {"IMG", "<img>"},   {"input", "<input>"}, {"link", "<link>"}};
    for (auto [name, expected] : cases) EXPECT_EQ(TWFHTMLTag(name).render(), expected);
    TWFHTMLTag input("input");
    input.setAttribute("type", "HIDDEN");
    EXPECT_EQ(input.render(), "<input type=\"HIDDEN\">");
}

TEST(TWFHTMLTagTest, PreformattedTagsWriteChildTagsWithoutLineBreaks) {
    for (const char* name : {"div", "a", "pre", "tr", "td"}) {
        TWFHTMLTag tag(name);
        tag.addTag("span").addText("x");
        tag.addText("t");
        tag.addTag("br");
        EXPECT_EQ(tag.render(), "<" + std::string(name) + "><span>x</span>t<br></" + name + ">");
    }
}

TEST(TWFHTMLTagTest, OtherTagsIndentEachChildTagByOneLevelOnly) {
    TWFHTMLTag table("table");
    TWFHTMLTag& row = table.addTag("tr");
    row.addTag("td").addText("a");
    row.addTag("td").addText("b");
    EXPECT_EQ(table.render(), "<table>\r\n  <tr><td>a</td><td>b</td></tr>\r\n</table>");

    TWFHTMLTag form("form");
    form.addTag("input").setAttribute("name", "WF_Action");
    form.addTag("select").addTag("option").addText("A");
    EXPECT_EQ(form.render(),
              "<form>\r\n  <input name=\"WF_Action\">\r\n  <select>\r\n  "
              "<option>A</option>\r\n</select>\r\n</form>");
}

TEST(TWFHTMLTagTest, TextOnlyContentNeedsNoLineBreak) {
    TWFHTMLTag tag("p");
    tag.addText("one");
    tag.addBinary(std::string("t\0o", 3));
    EXPECT_EQ(tag.render(), std::string("<p>onet\0o</p>", 13));
}

TEST(TWFHTMLTagTest, EmptyNameWritesOnlyTheContent) {
    TWFHTMLTag group("");
    group.addText("a");
    group.addTag("b").addText("c");
    EXPECT_EQ(group.render(), "a\r\n  <b>c</b>");
}

TEST(TWFHTMLTagTest, ClosingModeCanBeChanged) {
    TWFHTMLTag tag("meta");
    tag.setClosingTag(TWFClosingTag::ctSelfClose);
    EXPECT_EQ(tag.render(), "<meta/>");
    tag.setClosingTag(TWFClosingTag::ctNone);
    EXPECT_EQ(tag.render(), "<meta>");
}

TEST(TWFHTMLTagTest, StreamOutputMatchesTextOutput) {
    TWFHTMLTag tag("body");
    tag.addTag("div").setAttribute("id", "bussyCursor");
    std::ostringstream out;
    tag.render(out);
    EXPECT_EQ(out.str(), tag.render());
}

class FailingElement final : public TWFElement {
public:
    void render(std::string&) const override { throw std::runtime_error("disk gone"); }
};

TEST(TWFHTMLTagTest, AFailingChildIsReportedWithItsTagName) {
    TWFHTMLTag table("table");
    table.addTag("tr").addTag("td").addElement(std::make_unique<FailingElement>());
    try {
        table.render();
        FAIL() << "rendering must fail";
    } catch (const EWFTagException& error) {
        EXPECT_STREQ(error.what(), "Tag: td");
        try {
            std::rethrow_if_nested(error);
            FAIL() << "the cause must be kept";
        } catch (const std::runtime_error& cause) {
            EXPECT_STREQ(cause.what(), "disk gone");
        }
    }
}

}  // namespace
}  // namespace web::forms
