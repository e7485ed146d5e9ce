#include "tests/web/forms/controls/ChoicePageFixture.h"
#include "web/forms/controls/TWFListbox.h"

namespace web::forms {
namespace {

using TWFListboxTest = ChoicePageFixture;

TEST_F(TWFListboxTest, SingleChoiceListAlwaysMarksTheNoSelectionOption) {
    TWFListbox list("WFListbox1");
    EXPECT_EQ(markup(list), "<select name=\"WFLISTBOX1\" size=\"7\" width=\"121\"></select>");
    list.SetItems({"a & <b>", "b"});
    list.SetItemIndex(1);
    list.SetRequireSelection(false);
    list.Height = 48;
    list.Enabled = false;
    EXPECT_EQ(markup(list),
              "<select name=\"WFLISTBOX1\" size=\"3\" width=\"121\" DISABLED>\r\n"
              "  <option SELECTED value=\"-1\">-- No Selection --</option>\r\n"
              "  <option value=\"0\">a & &lt;b&gt;</option>\r\n"
              "  <option SELECTED value=\"1\">b</option>\r\n"
              "</select>");
}

TEST_F(TWFListboxTest, MultipleChoiceMarksEverySelectedItem) {
    TWFListbox list("lb");
    list.SetItems({"a", "b", "c", "d"});
    list.SetMultiSelect(true);
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    EXPECT_EQ(markup(list),
              "<select name=\"LB\" size=\"7\" MULTIPLE width=\"121\">\r\n"
              "  <option value=\"0\">a</option>\r\n"
              "  <option SELECTED value=\"1\">b</option>\r\n"
              "  <option value=\"2\">c</option>\r\n"
              "  <option SELECTED value=\"3\">d</option>\r\n"
              "</select>");
}

TEST_F(TWFListboxTest, MultipleChoiceAndRequiredSelectionExcludeEachOther) {
    TWFListbox list("lb");
    EXPECT_TRUE(list.RequireSelection());
    list.SetMultiSelect(true);
    EXPECT_FALSE(list.RequireSelection());
    list.SetRequireSelection(true);
    EXPECT_FALSE(list.MultiSelect());
}

TEST_F(TWFListboxTest, NotEditableListShowsTheSelectedValueAsText) {
    TWFListbox list("lb");
    list.ItemsHaveValues = true;
    list.SetItems({"名称=<v>"});
    list.SetItemIndex(0);
    list.Editable = false;
    list.OnClick = record("click");
    EXPECT_EQ(markup(list), "<span style=\"text-align:left;\">&lt;v&gt;</span>");
    EXPECT_TRUE(scriptEvents(list).empty());
}

TEST_F(TWFListboxTest, PostedMultipleSelection) {
    auto& list = add<TWFListbox>("lb");
    list.SetItems({"a", "b", "c", "d"});
    list.SetMultiSelect(true);
    render();
    post({{"LB", "1,1,3,"}, {"WF_ActionParam", "p"}});
    EXPECT_EQ(list.ItemIndex(), 1);
    std::vector<bool> selected;
    for (int i = 0; i < 4; ++i) selected.push_back(list.Selected(i));
    EXPECT_EQ(selected, (std::vector<bool>{false, true, false, true}));
    post({{"LB", "-1"}, {"WF_ActionParam", "p"}});
    EXPECT_EQ(list.ItemIndex(), -1);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(list.Selected(i)) << i;
    // Indices beyond the list mark nothing.
    post({{"LB", "2,2,9,"}, {"WF_ActionParam", "p"}});
    EXPECT_TRUE(list.Selected(2));
    EXPECT_FALSE(list.Selected(9));
}

TEST_F(TWFListboxTest, PostedSelectionByValue) {
    auto& list = add<TWFListbox>("lb");
    list.ItemsHaveValues = true;
    list.SetItems({"A=a", "B=b", "C=c"});
    list.SetItemIndex(1);
    render();
    post({{"LB", "zz"}, {"WF_ActionParam", "p"}});
    EXPECT_EQ(list.ItemIndex(), 1);
    post({{"LB", "c"}, {"WF_ActionParam", "p"}});
    EXPECT_EQ(list.ItemIndex(), 2);
    list.SetMultiSelect(true);
    post({{"LB", "a,a,c,zz,"}, {"WF_ActionParam", "p"}});
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_TRUE(list.Selected(0));
    EXPECT_FALSE(list.Selected(1));
    EXPECT_TRUE(list.Selected(2));
    post({{"LB", "-1"}, {"WF_ActionParam", "p"}});
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST_F(TWFListboxTest, PieceThatIsNotANumberFailsThePostBeforeTheEvent) {
    auto& list = add<TWFListbox>("WFListbox1");
    list.SetItems({"a", "b"});
    list.SetMultiSelect(true);
    list.OnChange = record("change");
    render();
    try {
        post({{"LB", "x"}, {"WFLISTBOX1", "0,0,x,"}, {"WF_Action", "WFLISTBOX1"}});
        ADD_FAILURE() << "no error";
    } catch (const web::EWFException& error) {
        EXPECT_NE(std::string(error.what()).find("  WFListbox1: 'x' is not a valid integer value"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(TWFListboxTest, SubmitFiresOnChangeThenClickOrDoubleClick) {
    auto& list = add<TWFListbox>("lb");
    list.SetItems({"a", "b"});
    list.OnChange = record("change:", [&list] { return std::to_string(list.ItemIndex()); });
    list.OnClick = record("click");
    list.OnDblClick = record("dblclick");
    render();
    post({{"LB", "1"}, {"WF_Action", "LB"}, {"WF_ActionParam", ""}});
    post({{"LB", "0"}, {"WF_Action", "LB"}, {"WF_ActionParam", "DblClick"}});
    EXPECT_EQ(events, (std::vector<std::string>{"change:1", "click", "change:0", "dblclick"}));
}

TEST_F(TWFListboxTest, ClientScriptsOfAnEditableList) {
    TWFListbox list("lb");
    list.Confirmation = "Sure?";
    list.OnChange = record("change");
    list.OnClick = record("click");
    list.OnDblClick = record("dblclick");
    EXPECT_EQ(
        scriptEvents(list),
        (TWFScriptEvents{{"OnChange", "return SubmitClickConfirm('LB','', true, 'Sure?');"},
                         {"OnClick", "return SubmitClickConfirm('LB','', true, 'Sure?');"},
                         {"OnDblClick", "return SubmitClickConfirm('LB','DblClick', true, 'Sure?');"}}));
}

TEST_F(TWFListboxTest, MarksMoveWithTheirItems) {
    TWFListbox list("lb");
    list.SetItems({"a", "b", "c"});
    list.SetMultiSelect(true);
    list.SetSelected(1, true);
    list.InsertItem(0, "z");
    EXPECT_TRUE(list.Selected(2));
    list.ExchangeItems(2, 0);
    EXPECT_TRUE(list.Selected(0));
    EXPECT_FALSE(list.Selected(2));
    list.DeleteItem(1);
    EXPECT_TRUE(list.Selected(0));
    list.SetSorted(true);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"b", "c", "z"}));
    EXPECT_TRUE(list.Selected(0));
    list.SetItems({"x"});
    EXPECT_FALSE(list.Selected(0));
}

}  // namespace
}  // namespace web::forms
