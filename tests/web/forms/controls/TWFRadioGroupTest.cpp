#include "tests/web/forms/controls/ChoicePageFixture.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFRadioGroup.h"

namespace web::forms {
namespace {

using TWFRadioGroupTest = ChoicePageFixture;

TEST_F(TWFRadioGroupTest, VerticalGroupChecksItsIndexAndWritesItemsAsMarkup) {
    TWFRadioGroup group("WFRadioGroup1");
    group.Items = {"启用", "<b>关闭</b> & \"x\""};
    group.ItemIndex = 1;
    EXPECT_EQ(markup(group),
              "<div>"
              "<input type=\"RADIO\" name=\"WFRADIOGROUP1_INPUT\" id=\"WFRADIOGROUP1_INPUT_1\" value=\"0\" "
              "tabindex=\"2\">"
              "<label for=\"WFRADIOGROUP1_INPUT_1\" onclick=\"event.cancelBubble = true;\">启用</label><BR>"
              "<input type=\"RADIO\"  CHECKED name=\"WFRADIOGROUP1_INPUT\" id=\"WFRADIOGROUP1_INPUT_2\" "
              "value=\"1\" tabindex=\"2\">"
              "<label for=\"WFRADIOGROUP1_INPUT_2\" onclick=\"event.cancelBubble = true;\"><b>关闭</b> & "
              "\"x\"</label><BR>"
              "</div>");
}

TEST_F(TWFRadioGroupTest, HorizontalDisabledGroup) {
    TWFRadioGroup group("rg");
    group.Items = {"A", "B"};
    group.ItemIndex = 0;
    group.Layout = TWFGroupLayout::glHorizontal;
    group.Enabled = false;
    EXPECT_EQ(markup(group),
              "<div>"
              "<input type=\"RADIO\"  CHECKED name=\"RG_INPUT\" id=\"RG_INPUT_1\" value=\"0\" tabindex=\"2\" "
              "DISABLED><label for=\"RG_INPUT_1\">A</label> "
              "<input type=\"RADIO\" name=\"RG_INPUT\" id=\"RG_INPUT_2\" value=\"1\" tabindex=\"2\" "
              "DISABLED><label for=\"RG_INPUT_2\">B</label> "
              "</div>");
    TWFPageContext40 context(web::TWFBrowser::brSafari);
    EXPECT_EQ(group.styleAddition(context), " white-space:nowrap;");
    group.Layout = TWFGroupLayout::glVertical;
    EXPECT_EQ(group.styleAddition(context), "");
    group.Enabled = true;
    group.Editable = false;
    EXPECT_NE(markup(group).find("value=\"1\" tabindex=\"2\" DISABLED><label for=\"RG_INPUT_2\">B</label>"),
              std::string::npos);
}

// The buttons are the tab stops, so one Tab from the control before reaches the first of
// them; the group around them is none.
TEST_F(TWFRadioGroupTest, OnPageTheButtonsAreTheTabStops) {
    auto& group = add<TWFRadioGroup>("rg");
    group.Items = {"A", "B"};
    std::string html = render();
    std::string div = between(html, "<div class=\"RGCSS\"", ">");
    ASSERT_FALSE(div.empty());
    EXPECT_EQ(div.find("tabindex"), std::string::npos) << div;
    EXPECT_NE(html.find("id=\"RG_INPUT_2\" value=\"1\" tabindex=\"3\""), std::string::npos);
}

TEST_F(TWFRadioGroupTest, IndexThatMatchesNoItemChecksNothing) {
    TWFRadioGroup group("rg");
    group.Items = {"A", "B"};
    group.ItemIndex = 5;
    EXPECT_EQ(markup(group).find("CHECKED"), std::string::npos);
    group.ItemIndex = -1;
    EXPECT_EQ(markup(group).find("CHECKED"), std::string::npos);
    group.Items.clear();
    EXPECT_EQ(markup(group), "<div></div>");
}

TEST_F(TWFRadioGroupTest, ClickScriptOnTheGroupAndItsPostedField) {
    auto& group = add<TWFRadioGroup>("rg");
    group.Items = {"A"};
    EXPECT_TRUE(scriptEvents(group).empty());
    group.OnClick = record("click");
    group.Confirmation = "Sure?";
    EXPECT_EQ(scriptEvents(group),
              (TWFScriptEvents{{"OnClick", "return SubmitClickConfirm('RG','', true, 'Sure?');"}}));
    std::string html = render();
    std::string submitForm = html.substr(html.find("name=\"SubmitForm\""));
    EXPECT_NE(submitForm.find("<input type=\"HIDDEN\" name=\"RG_INPUT\">"), std::string::npos);
    group.Editable = false;
    EXPECT_TRUE(scriptEvents(group).empty());
}

TEST_F(TWFRadioGroupTest, PostedIndexFiresOnClickOnlyWhenItChanges) {
    auto& group = add<TWFRadioGroup>("rg");
    group.Items = {"A", "B"};
    group.ItemIndex = 5;
    group.OnClick = record("click:", [&group] { return std::to_string(group.ItemIndex); });
    render();
    // Nothing checked in the browser: the field stays empty.
    post({{"RG_INPUT", ""}, {"WF_Action", "RG"}});
    EXPECT_EQ(group.ItemIndex, -1);
    post({{"RG_INPUT", "1"}, {"WF_Action", "RG"}});
    post({{"RG_INPUT", "1"}, {"WF_Action", "RG"}});
    EXPECT_EQ(events, (std::vector<std::string>{"click:-1", "click:1"}));
}

TEST_F(TWFRadioGroupTest, PostedTextThatNamesNoItemClearsTheChoice) {
    auto& group = add<TWFRadioGroup>("rg");
    group.Items = {"A", "B"};
    render();
    for (const char* posted : {"abc", "2", "-3", "1x"}) {
        group.ItemIndex = 1;
        post({{"RG_INPUT", posted}, {"WF_ActionParam", "p"}});
        EXPECT_EQ(group.ItemIndex, -1) << posted;
    }
}

TEST_F(TWFRadioGroupTest, SubmitAloneFiresNothing) {
    auto& group = add<TWFRadioGroup>("rg");
    group.Items = {"A", "B"};
    group.OnClick = record("click");
    render();
    post({{"WF_Action", "RG"}, {"WF_ActionParam", "x"}});
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(group.LastParameter(), "x");
    EXPECT_EQ(group.ItemIndex, 0);
}

// A group's OnClick runs while the values are applied, in the order of the fields.
TEST_F(TWFRadioGroupTest, OnClickSeesOnlyTheFieldsPostedBeforeIt) {
    auto& group = add<TWFRadioGroup>("rg");
    auto& box = add<TWFCheckBox>("xA");
    group.Items = {"A", "B"};
    group.OnClick = record("click:", [&box] { return std::to_string(box.Checked); });
    render();
    post({{"RG_INPUT", "1"}, {"XA_CHECKBOX", "on"}, {"WF_Action", "RG"}});
    post({{"XA_CHECKBOX", "off"}, {"RG_INPUT", "0"}, {"WF_Action", "RG"}});
    EXPECT_EQ(events, (std::vector<std::string>{"click:0", "click:0"}));
}

}  // namespace
}  // namespace web::forms
