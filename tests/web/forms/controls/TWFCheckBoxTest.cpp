#include "tests/web/forms/controls/ChoicePageFixture.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/server/Errors.h"

namespace web::forms {
namespace {

using TWFCheckBoxTest = ChoicePageFixture;

// The caption is the box's label; its own click stays inside it, so the box (which the
// browser clicks for the label) is what posts. The box, not the span, is the tab stop.
TEST_F(TWFCheckBoxTest, BoxAndTheLabelThatTogglesIt) {
    TWFCheckBox box("WFCheckBox1");
    box.Caption = "仅显示<b>错误</b> & \"习题\"";
    box.TabOrder = 3;
    EXPECT_EQ(
        markup(box),
        "<span id=\"WFCHECKBOX1\">\r\n"
        "  <input type=\"CHECKBOX\" id=\"WFCHECKBOX1_CHECKBOX\" tabindex=\"5\" "
        "name=\"WFCHECKBOX1_CHECKBOX\">\r\n"
        "  <label for=\"WFCHECKBOX1_CHECKBOX\" onclick=\"event.cancelBubble = true;\">仅显示<b>错误</b> & "
        "\"习题\"</label>\r\n"
        "</span>");
    box.Checked = true;
    EXPECT_NE(markup(box).find("<input type=\"CHECKBOX\" CHECKED id=\"WFCHECKBOX1_CHECKBOX\""),
              std::string::npos);
}

// A post names the box by its own name or by its field's, in any letter case.
TEST_F(TWFCheckBoxTest, AnswersToItsNameAndItsFieldsName) {
    TWFCheckBox box("WFCheckBox1");
    EXPECT_EQ(box.InputName(), "WFCHECKBOX1_CHECKBOX");
    for (const char* name : {"WFCHECKBOX1", "wfcheckbox1", "WFCHECKBOX1_CHECKBOX", "WfCheckBox1_checkbox"}) {
        EXPECT_TRUE(box.HasHtmlName(name)) << name;
    }
    for (const char* name : {"WFCHECKBOX1_", "WFCHECKBOX1_CHECK", "WFCHECKBOX1_CHECKBOXES",
                             "WFCHECKBOX2_CHECKBOX", "_CHECKBOX", ""}) {
        EXPECT_FALSE(box.HasHtmlName(name)) << name;
    }
}

TEST_F(TWFCheckBoxTest, NotEditableBoxHasNoNameAndCannotBeTicked) {
    TWFCheckBox box("xA");
    box.Caption = "A";
    box.Checked = true;
    box.Editable = false;
    box.OnClick = record("click");
    EXPECT_EQ(
        markup(box),
        "<span id=\"XA\">\r\n"
        "  <input type=\"CHECKBOX\" CHECKED id=\"XA_CHECKBOX\" tabindex=\"2\" onclick=\"return false;\">\r\n"
        "  <label for=\"XA_CHECKBOX\">A</label>\r\n"
        "</span>");
    EXPECT_TRUE(scriptEvents(box).empty());
}

TEST_F(TWFCheckBoxTest, DisabledBoxIsGreyedAndItsCaptionDoesNotToggle) {
    TWFCheckBox box("xA");
    box.Caption = "A";
    box.Enabled = false;
    EXPECT_EQ(
        markup(box),
        "<span id=\"XA\">\r\n"
        "  <input DISABLED type=\"CHECKBOX\" id=\"XA_CHECKBOX\" tabindex=\"2\" name=\"XA_CHECKBOX\">\r\n"
        "  <label for=\"XA_CHECKBOX\">A</label>\r\n"
        "</span>");
}

TEST_F(TWFCheckBoxTest, OnPageTheBoxIsTheTabStopAndTheSpanIsNone) {
    add<TWFCheckBox>("WFCheckBox1").Caption = "c";
    std::string html = render();
    EXPECT_NE(html.find("<span id=\"WFCHECKBOX1\" class=\"WFCHECKBOX1CSS\" name=\"WFCHECKBOX1\">"),
              std::string::npos)
        << between(html, "<span id=\"WFCHECKBOX1\"", ">");
    EXPECT_NE(html.find("id=\"WFCHECKBOX1_CHECKBOX\" tabindex=\"3\""), std::string::npos);
}

TEST_F(TWFCheckBoxTest, ClickScriptOnTheOuterSpanOnlyWithOnClick) {
    auto& box = add<TWFCheckBox>("WFCheckBox1");
    EXPECT_EQ(render().find("WFCHECKBOX1_onclick"), std::string::npos);
    box.OnClick = record("click");
    box.Confirmation = "It's sure?";
    box.DoSubmitValidation = false;
    std::string html = render();
    EXPECT_NE(html.find("function WFCHECKBOX1_onclick(event) {\r\n"
                        "return SubmitClickConfirm('WFCHECKBOX1','', false, 'It\\'s sure?');}"),
              std::string::npos);
    EXPECT_NE(
        html.find("if (WFCHECKBOX1WFCL != null) WFCHECKBOX1WFCL.HookEvent(\"click\",WFCHECKBOX1_onclick);"),
        std::string::npos);
    // Its value travels in SubmitForm under the suffixed name.
    std::string submitForm = html.substr(html.find("name=\"SubmitForm\""));
    EXPECT_NE(submitForm.find("<input type=\"HIDDEN\" name=\"WFCHECKBOX1_CHECKBOX\">"), std::string::npos);
    EXPECT_EQ(submitForm.find("name=\"WFCHECKBOX1\""), std::string::npos);
}

TEST_F(TWFCheckBoxTest, PostedStateChecksOrClearsAndFiresOnChangeOnlyOnChange) {
    auto& box = add<TWFCheckBox>("WFCheckBox1");
    box.OnChange = record("change:", [&box] { return std::to_string(box.Checked); });
    render();
    const std::vector<std::pair<std::string, bool>> cases = {
        {"on", true}, {"on", true}, {"off", false}, {"ON", true}, {"yes", false}, {"On", true}, {"", false}};
    std::vector<std::string> expected;
    bool previous = false;
    for (const auto& [posted, checked] : cases) {
        post({{"WFCHECKBOX1_CHECKBOX", posted}, {"WF_Action", "WFCHECKBOX1"}});
        EXPECT_EQ(box.Checked, checked) << posted;
        if (checked != previous) expected.push_back("change:" + std::to_string(checked));
        previous = checked;
    }
    EXPECT_EQ(events, expected);
}

TEST_F(TWFCheckBoxTest, BoxThatPostsNothingKeepsItsState) {
    auto& box = add<TWFCheckBox>("WFCheckBox1");
    box.Checked = true;
    box.OnChange = record("change");
    box.OnClick = record("click");
    render();
    post({{"WF_Action", "WFCHECKBOX1"}});
    EXPECT_TRUE(box.Checked);
    EXPECT_EQ(events, std::vector<std::string>{"click"});
}

TEST_F(TWFCheckBoxTest, NotEditableOrInvisibleBoxTakesNoPostedValue) {
    auto& box = add<TWFCheckBox>("WFCheckBox1");
    box.Editable = false;
    box.OnChange = record("change");
    render();
    post({{"WFCHECKBOX1_CHECKBOX", "on"}, {"WF_Action", "WFCHECKBOX1"}});
    EXPECT_FALSE(box.Checked);
    box.Editable = true;
    box.Visible = false;
    post({{"WFCHECKBOX1_CHECKBOX", "on"}, {"WF_ActionParam", "x"}});
    EXPECT_FALSE(box.Checked);
    EXPECT_TRUE(events.empty());
}

// OnChange runs while values are being applied; OnClick after all of them.
TEST_F(TWFCheckBoxTest, OnChangeSeesLaterFieldsUnappliedOnClickSeesThemAll) {
    auto& box = add<TWFCheckBox>("WFCheckBox1");
    auto& edit = add<TWFEdit>("WFEdit1");
    edit.Text = "old";
    box.OnChange = record("change:", [&edit] { return edit.Text; });
    box.OnClick = record("click:", [&box, &edit] { return std::to_string(box.Checked) + edit.Text; });
    render();
    post({{"WFCHECKBOX1_CHECKBOX", "on"},
          {"WFEDIT1", "new"},
          {"WF_Action", "WFCHECKBOX1"},
          {"WF_ActionParam", ""}});
    EXPECT_EQ(events, (std::vector<std::string>{"change:old", "click:1new"}));
    EXPECT_EQ(box.LastParameter(), "");
}

TEST_F(TWFCheckBoxTest, ImageDrawnBoxKeepsItsStateInAHiddenField) {
    TWFCheckBox box("WFCheckBox1");
    box.Style = TWFCheckBoxStyle::stCool;
    box.Caption = "c";
    box.OnClick = record("click");
    std::string toggle =
        "CoolCheckBoxToggle('WFCHECKBOX1_CHECKBOX', document.images.WFCHECKBOX1_Image, true)";
    EXPECT_EQ(markup(box),
              "<span id=\"WFCHECKBOX1\">\r\n"
              "  <a href=\"#\" style=\"text-decoration:none\" onclick=\"" +
                  toggle +
                  "\" tabindex=\"2\"><img name=\"WFCHECKBOX1_Image\" border=\"0\" width=\"10\" "
                  "height=\"12\"></a>\r\n"
                  "  <input type=\"HIDDEN\" name=\"WFCHECKBOX1_CHECKBOX\">\r\n"
                  "  <span onclick=\"" +
                  toggle +
                  "\">c</span>\r\n"
                  "</span>");
    EXPECT_TRUE(scriptEvents(box).empty());
    TWFPageContext40 context(web::TWFBrowser::brSafari);
    box.Checked = true;
    box.addScripts(context);
    EXPECT_NE(context.initScript.find("document.images.WFCHECKBOX1_Image.src = GCoolCheckBoxTrue.src;\r\n"
                                      "FindElem('WFCHECKBOX1_CHECKBOX').value = \"On\";"),
              std::string::npos);
    EXPECT_NE(context.pageScript.find("function CoolCheckBoxToggle(fieldName, image, submit)"),
              std::string::npos);
    box.Editable = false;
    EXPECT_EQ(markup(box),
              "<span id=\"WFCHECKBOX1\">\r\n"
              "  <img src=\"/gfx/CoolCheckBox_True.gif\">\r\n"
              "  <span>c</span>\r\n"
              "</span>");
}

}  // namespace
}  // namespace web::forms
