#include "tests/web/forms/controls/ChoicePageFixture.h"
#include "web/forms/controls/TWFComboBox.h"

namespace web::forms {
namespace {

using TWFComboBoxTest = ChoicePageFixture;

TEST_F(TWFComboBoxTest, WithoutItemsNotEvenTheNoSelectionOption) {
    TWFComboBox combo("WFComboBox1");
    EXPECT_EQ(markup(combo), "<select name=\"WFCOMBOBOX1\" size=\"1\" width=\"121\"></select>");
}

TEST_F(TWFComboBoxTest, NothingSelectedOffersTheNoSelectionOptionAndEscapesItems) {
    TWFComboBox combo("cb");
    combo.SetItems({"<b>x</b> & \"y\"", "第二\r\n行"});
    EXPECT_EQ(markup(combo),
              "<select name=\"CB\" size=\"1\" width=\"121\">\r\n"
              "  <option SELECTED value=\"-1\">-- No Selection --</option>\r\n"
              "  <option value=\"0\">&lt;b&gt;x&lt;/b&gt; & &quot;y&quot;</option>\r\n"
              "  <option value=\"1\">第二<br>行</option>\r\n"
              "</select>");
}

TEST_F(TWFComboBoxTest, SelectedItemAndTheNoSelectionOptionOnlyWhenNotRequired) {
    TWFComboBox combo("cb");
    combo.SetItems({"a", "b", "c"});
    combo.SetItemIndex(0);
    combo.SetUseSize(false);
    EXPECT_EQ(markup(combo),
              "<select name=\"CB\" size=\"1\">\r\n"
              "  <option SELECTED value=\"0\">a</option>\r\n"
              "  <option value=\"1\">b</option>\r\n"
              "  <option value=\"2\">c</option>\r\n"
              "</select>");
    EXPECT_FALSE(combo.RenderSize);
    combo.SetRequireSelection(false);
    combo.NoSelectionText = "<i>全部</i>";
    EXPECT_NE(markup(combo).find(
                  "<select name=\"CB\" size=\"1\">\r\n  <option value=\"-1\"><i>全部</i></option>\r\n"
                  "  <option SELECTED value=\"0\">a</option>"),
              std::string::npos);
}

TEST_F(TWFComboBoxTest, ItemsWithValuesShowTheDisplayPartAndPostTheValuePart) {
    TWFComboBox combo("cb");
    combo.ItemsHaveValues = true;
    combo.SetItems({"数学=m\"1", "plain", "empty="});
    combo.SetItemIndex(0);
    EXPECT_EQ(markup(combo),
              "<select name=\"CB\" size=\"1\" width=\"121\">\r\n"
              "  <option SELECTED value=\"m&quot;1\">数学</option>\r\n"
              "  <option value=\"plain\">plain</option>\r\n"
              "  <option value=\"\">empty</option>\r\n"
              "</select>");
    combo.SetValue("plain");
    EXPECT_EQ(combo.ItemIndex(), 1);
    combo.SetValue("m\"1");
    EXPECT_EQ(combo.ItemIndex(), 0);
    combo.SetValue("-1");
    EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST_F(TWFComboBoxTest, NotEditableComboIsGreyedOrShownAsText) {
    TWFComboBox combo("cb");
    combo.SetItems({"a<b", "b"});
    combo.SetItemIndex(0);
    combo.Editable = false;
    combo.Enabled = false;
    combo.OnChange = record("change");
    EXPECT_EQ(markup(combo).substr(0, 62),
              "<select name=\"CB\" size=\"1\" disabled=\"true\" readonly=\"true\" wid");
    EXPECT_TRUE(scriptEvents(combo).empty());
    combo.NonEditableAsLabel = true;
    combo.BGColor = clRed;
    EXPECT_EQ(markup(combo), "<span style=\"text-align:left;background-color:#FF0000;\">a&lt;b</span>");
    combo.SetItemIndex(-1);
    EXPECT_EQ(markup(combo), "<span style=\"text-align:left;background-color:#FF0000;\"></span>");
}

TEST_F(TWFComboBoxTest, ItemIndexRules) {
    TWFComboBox combo("cb");
    combo.SetItems({"a", "b", "c"});
    combo.SetItemIndex(3);
    EXPECT_EQ(combo.ItemIndex(), -1);
    combo.SetItemIndex(2);
    combo.SetItemIndex(7);
    EXPECT_EQ(combo.ItemIndex(), 2);
    combo.SetItemIndex(-4);
    EXPECT_EQ(combo.ItemIndex(), -4);
    combo.SetItemIndex(1);
    combo.SetItems({"x", "y", "z", "w"});
    EXPECT_EQ(combo.ItemIndex(), 1);
    combo.SetItems({"x", "y"});
    EXPECT_EQ(combo.ItemIndex(), -1);
    combo.LoadItemIndex(9);
    EXPECT_EQ(combo.ItemIndex(), 9);
}

TEST_F(TWFComboBoxTest, ItemIndexFollowsItsItem) {
    TWFComboBox combo("cb");
    combo.SetItems({"c", "a", "b"});
    combo.SetItemIndex(0);
    combo.InsertItem(0, "d");
    EXPECT_EQ(combo.ItemIndex(), 1);
    combo.ExchangeItems(1, 3);
    EXPECT_EQ(combo.ItemIndex(), 3);
    combo.SetSorted(true);
    EXPECT_EQ(combo.Items(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(combo.ItemIndex(), 2);
    EXPECT_EQ(combo.AddItem("B2"), 2);
    combo.DeleteItem(3);
    EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST_F(TWFComboBoxTest, PostedIndexIsAppliedWithoutAnEvent) {
    auto& combo = add<TWFComboBox>("cb");
    combo.SetItems({"a", "b", "c"});
    combo.SetItemIndex(0);
    combo.OnChange = record("change");
    render();
    const std::vector<std::pair<std::string, int>> cases = {{"7", 0}, {"2", 2},   {"1,2", 1}, {"abc", -1},
                                                            {"1", 1}, {"-5", -1}, {"", -1}};
    for (const auto& [posted, index] : cases) {
        post({{"CB", posted}, {"WF_ActionParam", "p"}});
        EXPECT_EQ(combo.ItemIndex(), index) << posted;
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(TWFComboBoxTest, SubmitFiresOnChangeAfterAllValues) {
    auto& combo = add<TWFComboBox>("cb");
    auto& edit = add<TWFEdit>("WFEdit1");
    combo.SetItems({"a", "b"});
    combo.OnChange = record("change:", [&] { return std::to_string(combo.ItemIndex()) + edit.Text; });
    render();
    post({{"CB", "1"}, {"WFEDIT1", "t"}, {"WF_Action", "CB"}, {"WF_ActionParam", ""}});
    EXPECT_EQ(events, std::vector<std::string>{"change:1t"});
    std::string html = render();
    std::string submitForm = html.substr(html.find("name=\"SubmitForm\""));
    EXPECT_NE(submitForm.find("<input type=\"HIDDEN\" name=\"CB\">"), std::string::npos);
}

TEST_F(TWFComboBoxTest, ChangeFocusAndLayoutScripts) {
    TWFComboBox combo("cb");
    combo.OnChange = record("change");
    combo.DoSubmitValidation = false;
    combo.FocusColor = clYellow;
    EXPECT_EQ(scriptEvents(combo),
              (TWFScriptEvents{{"OnChange", "return SubmitClickConfirm('CB','', false, '');"},
                               {"OnFocus", "this.style.backgroundColor='#FFFF00';"},
                               {"OnBlur", "this.style.backgroundColor='';"}}));
    TWFPageContext40 context(web::TWFBrowser::brSafari);
    combo.Required = true;
    combo.FriendlyName = "考试";
    combo.AutoHideOnMenuActivation = true;
    combo.addScripts(context);
    EXPECT_EQ(context.wfclInitScript, "if(CBWFCL) { CBWFCL.AutoHide = true }\r\n");
    ASSERT_EQ(context.validations.size(), 1u);
    EXPECT_EQ(context.validations[0].first, "CBWFCL != null && CBWFCL.value==\"-1\"");
    EXPECT_EQ(context.validations[0].second, "A value must be selected for 考试.");
}

TEST_F(TWFComboBoxTest, InternetExplorerOnAMacGetsTheChangeScriptInTheTag) {
    TWFComboBox combo("cb");
    combo.OnChange = record("change");
    std::string mac = "Mozilla/4.0 (compatible; MSIE 5.23; Mac_PowerPC)";
    EXPECT_EQ(markup(combo, web::TWFBrowser::brIE, mac),
              "<select name=\"CB\" size=\"1\" width=\"121\" onchange=\"return SubmitClickConfirm('CB','', "
              "true, '');\">"
              "</select>");
    EXPECT_TRUE(scriptEvents(combo, mac).empty());
    EXPECT_EQ(markup(combo, web::TWFBrowser::brIE, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)")
                  .find("onchange"),
              std::string::npos);
}

TEST_F(TWFComboBoxTest, EnhancedComboPostsTheChosenIndex) {
    TWFComboBox combo("cb");
    combo.Style = TWFComboBoxStyle::stEnhanced;
    combo.SetItems({"a<", "b"});
    combo.SetItemIndex(1);
    combo.OnChange = record("change");
    std::string html = markup(combo);
    EXPECT_NE(html.find("<input type=\"HIDDEN\" name=\"CB\" id=\"CB_Value\" value=\"1\">"),
              std::string::npos);
    EXPECT_NE(html.find("<span id=\"CB_Text\" style=\"flex:1;overflow:hidden;white-space:nowrap;\">b</span>"),
              std::string::npos);
    EXPECT_NE(html.find("<div id=\"CB_item_0\" onclick=\"return CB_Choose(0, this);\">a&lt;</div>"),
              std::string::npos);
    EXPECT_EQ(html.find("CB_item_noselect"), std::string::npos);
    EXPECT_TRUE(scriptEvents(combo).empty());
    TWFPageContext40 context(web::TWFBrowser::brSafari);
    combo.addScripts(context);
    EXPECT_NE(context.pageScript.find("var CB_Values = [\"0\", \"1\"];"), std::string::npos);
    EXPECT_NE(context.pageScript.find("return SubmitClickConfirm('CB',''+idx+'', true, '');"),
              std::string::npos);
}

}  // namespace
}  // namespace web::forms
