#include "web/forms/controls/TWFDBGrid.h"

#include <gtest/gtest.h>

#include <regex>

#include "tests/support/RuntimeFixture.h"
#include "tests/web/forms/controls/MemoryDataSet.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/TWFPageContext40.h"
#include "web/server/Errors.h"
#include "web/server/TWFApplication.h"

namespace web::forms {
namespace {

using testing::MemoryDataSet;
using web::TWFBrowser;

class TestContainer : public TWFContainer {
public:
    std::string LayoutObjectName() const override { return "WFCLForm"; }
    bool IsPage() const override { return true; }
};

template <typename Action>
std::string errorOf(Action action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "<no error>";
}

std::vector<TWFFieldInfo> questionFields() {
    return {{"编号", "编号", TWFFieldKind::fkText, true},
            {"题目", "题目", TWFFieldKind::fkMemo, true},
            {"题型", "Kind", TWFFieldKind::fkText, true},
            {"图", "图", TWFFieldKind::fkGraphic, false}};
}

// The question list of an exam editor: number, linked question text, kind.
class TWFDBGridTest : public ::testing::Test {
protected:
    TWFDBGridTest()
        : data_(questionFields(), {{"1", "<b>甲</b>", "单选题", "x"},
                                   {"2", "乙\r\n丙", "多选题", "x"},
                                   {"3", "丁", "判断题", "x"}}),
          grid_(container_.Add(std::make_unique<TWFDBGrid>("WFDBGrid1"))) {
        grid_.DataSource = &data_;
        grid_.UseFrame = false;
        grid_.Columns.Add().SetDataField("编号");
        TWFDBGridColumn& text = grid_.Columns.Add();
        text.SetDataField("题目");
        text.LinkField = "编号";
        text.Alignment = TAlignment::taCenter;
        text.OnClick = [this](TWFDBGridColumn& sender, const std::string& value) {
            clicks_.push_back(sender.DataField() + "=" + value);
        };
        grid_.Columns.Add().SetDataField("题型");
    }

    std::string render(TWFBrowser browser = TWFBrowser::brSafari) {
        TWFPageContext40 context(browser);
        std::string html = grid_.renderTag(context)->render();
        pageScript_ = context.pageScript;
        return html;
    }

    // The row ids in render order.
    static std::vector<std::string> rowIds(const std::string& html) {
        std::vector<std::string> ids;
        std::regex id("<tr id=\"([^\"]*)\"");
        for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator(); ++it) {
            ids.push_back((*it)[1]);
        }
        return ids;
    }

    MemoryDataSet data_;
    TestContainer container_;
    TWFDBGrid& grid_;
    std::vector<std::string> clicks_;
    std::string pageScript_;
};

TEST_F(TWFDBGridTest, WritesATitleRowAndOneRowPerRecord) {
    std::string html = render();
    std::vector<std::string> ids = rowIds(html);
    ASSERT_EQ(ids.size(), 3u);
    std::string identity = ids[0].substr(0, ids[0].size() - 1);
    const std::string font = "<font style=\"font-size:13px;\">";
    const std::string plain = "<td valign=\"middle\" align=\"left\" NOWRAP>" + font;
    const std::string centred = "<td valign=\"middle\" align=\"center\" NOWRAP>" + font;
    auto link = [](const std::string& parameter) {
        return "<a href=\"#\" onclick=\"return SubmitClickConfirm('WFDBGRID1','" + parameter + "', true, '');\">";
    };
    EXPECT_EQ(html,
              "<table id=\"tblWFDBGRID1\" border=\"1\" cellpadding=\"0\" cellspacing=\"0\" width=\"300\">\r\n  "
              "<tr>" + centred + "编号</font></td>" + centred + "题目</font></td>" + centred + "题型</font></td></tr>"
              "\r\n  <tr id=\"" + identity + "1\">" + plain + "1</font></td>" + centred + link("1_1") +
              "&lt;b&gt;甲&lt;/b&gt;</a></font></td>" + plain + "单选题</font></td></tr>"
              "\r\n  <tr id=\"" + identity + "2\">" + plain + "2</font></td>" + centred + link("1_2") +
              "乙<br>丙</a></font></td>" + plain + "多选题</font></td></tr>"
              "\r\n  <tr id=\"" + identity + "3\">" + plain + "3</font></td>" + centred + link("1_3") +
              "丁</a></font></td>" + plain + "判断题</font></td></tr>\r\n</table>");
    EXPECT_TRUE(std::regex_match(ids[0], std::regex("[1-9][0-9]*")));
    EXPECT_EQ(rowIds(render()), ids);  // the same ids at every render
}

TEST_F(TWFDBGridTest, RowIdsOfTwoGridsNeverMeet) {
    TWFDBGrid& other = container_.Add(std::make_unique<TWFDBGrid>("WFDBGrid2"));
    other.DataSource = &data_;
    other.UseFrame = false;
    TWFPageContext40 context(TWFBrowser::brSafari);
    std::vector<std::string> mine = rowIds(render());
    std::vector<std::string> theirs = rowIds(other.renderTag(context)->render());
    ASSERT_EQ(theirs.size(), 3u);
    for (const std::string& id : theirs) EXPECT_EQ(std::count(mine.begin(), mine.end(), id), 0) << id;
}

TEST_F(TWFDBGridTest, RawColumnsAndTitlesAreWrittenAsMarkup) {
    grid_.Columns[0].Title.Text = "<u>No</u>";
    grid_.Columns[1].RawText = true;
    std::string html = render();
    EXPECT_NE(html.find("><u>No</u></font>"), std::string::npos);
    EXPECT_NE(html.find("1_1', true, '');\"><b>甲</b></a>"), std::string::npos);
}

TEST_F(TWFDBGridTest, ClosedOrMissingDataSetGivesATableWithoutRows) {
    data_.open = false;
    EXPECT_EQ(render(), "<table id=\"tblWFDBGRID1\" border=\"1\" cellpadding=\"0\" cellspacing=\"0\" width=\"300\">"
                        "</table>");
    grid_.DataSource = nullptr;
    EXPECT_EQ(render().find("<tr"), std::string::npos);
}

TEST_F(TWFDBGridTest, RenderLeavesTheDataSetWhereItWas) {
    data_.First();
    data_.Next();
    grid_.Options.dgIndicator = true;
    std::string html = render();
    EXPECT_EQ(data_.position(), 1u);
    EXPECT_NE(html.find("<tr><th>&nbsp</th>"), std::string::npos);
    std::size_t second = html.find("2\"><td>*</td>");
    EXPECT_NE(second, std::string::npos) << html;
    EXPECT_NE(html.find("1\"><td>&nbsp </td>"), std::string::npos);
    // A failing field read does not move it either.
    grid_.Columns[2].SetDataField("无此字段");
    EXPECT_EQ(errorOf([&] { render(); }), "Field '无此字段' not found");
    EXPECT_EQ(data_.position(), 1u);
    grid_.RefreshMode = TWFRefreshMode::rmManual;
    EXPECT_EQ(render().find("<tr"), std::string::npos);
}

TEST_F(TWFDBGridTest, ApostropheInALinkValueIsPostedAsPercent27) {
    MemoryDataSet names({{"name", "name", TWFFieldKind::fkText, true}}, {{"O'Neil \"Jr\""}});
    grid_.DataSource = &names;
    grid_.Columns.Clear();
    TWFDBGridColumn& column = grid_.Columns.Add();
    column.SetDataField("name");
    column.LinkField = "name";
    std::string html = render();
    EXPECT_NE(html.find("SubmitClickConfirm('WFDBGRID1','0_O%27Neil \\&quot;Jr\\&quot;', true, '');\">"
                        "O&#39;Neil &quot;Jr&quot;</a>"),
              std::string::npos)
        << html;
    std::string received;
    column.OnClick = [&received](TWFDBGridColumn&, const std::string& value) { received = value; };
    grid_.Submit("0_O%27Neil \"Jr\"");
    EXPECT_EQ(received, "O%27Neil \"Jr\"");
}

TEST_F(TWFDBGridTest, SubmitFiresTheColumnsClickOrTitleClick) {
    grid_.Submit("1_2");
    EXPECT_EQ(clicks_, std::vector<std::string>{"题目=2"});
    EXPECT_EQ(grid_.LastParameter(), "1_2");
    std::string titleOf;
    grid_.Columns[2].OnTitleClick = [&titleOf](TWFDBGridColumn& sender) { titleOf = sender.DataField(); };
    grid_.Submit("C2");
    EXPECT_EQ(titleOf, "题型");
    grid_.Submit("0_1");  // a column without OnClick
    EXPECT_EQ(clicks_.size(), 1u);
    EXPECT_EQ(errorOf([&] { grid_.Submit("7_1"); }), "List index out of bounds (7).");
    EXPECT_EQ(errorOf([&] { grid_.Submit("a_1"); }), "\"a\" is not a valid integer value.");
    EXPECT_EQ(errorOf([&] { grid_.Submit("C"); }), "\"\" is not a valid integer value.");
}

TEST_F(TWFDBGridTest, TitleClickLinkCarriesTheTitlesSiteClass) {
    grid_.Columns[2].OnTitleClick = [](TWFDBGridColumn&) {};
    grid_.Columns[2].Title.Font.CSSStyle = "qbk";
    grid_.RowHeaderColor = clSilver;
    std::string html = render(TWFBrowser::brIE);
    EXPECT_NE(html.find("<td valign=\"middle\" align=\"center\" NOWRAP class=\"qbk\" style=\"position:static;\" "
                        "bgcolor=\"#C0C0C0\"><a href=\"#\" onclick=\"SubmitClickConfirm('WFDBGRID1','C2', true, '');"
                        "return false;\" class=\"qbk\">题型</a></td>"),
              std::string::npos)
        << html;
}

TEST_F(TWFDBGridTest, WithoutColumnsEveryVisibleFieldGetsOne) {
    grid_.Columns.Clear();
    std::string html = render();
    EXPECT_EQ(grid_.Columns.Count(), 3);
    EXPECT_NE(html.find(">编号</font></td><td valign=\"middle\" align=\"center\" NOWRAP><font "
                        "style=\"font-size:13px;\">题目</font></td><td valign=\"middle\" align=\"center\" NOWRAP>"
                        "<font style=\"font-size:13px;\">Kind</font></td></tr>"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find(">x</font>"), std::string::npos);  // the hidden picture field
    grid_.Columns[0].LinkField = "编号";
    EXPECT_NE(render().find("'0_1', true, '');\">1</a>"), std::string::npos);
    // Columns the page makes itself replace them for good.
    grid_.Columns.Clear();
    grid_.Columns.Add().SetDataField("题型");
    render();
    EXPECT_EQ(grid_.Columns.Count(), 1);
}

TEST_F(TWFDBGridTest, RowLimitShowsTheBlockOfTheCurrentRecord) {
    grid_.RowLimit = 2;
    grid_.FromStart = false;
    grid_.Options.dgShowTitles = false;
    data_.First();
    data_.Next();
    data_.Next();  // record 3: the block of records 3 and 4, of which only 3 exists
    std::string html = render();
    EXPECT_EQ(rowIds(html).size(), 1u);
    EXPECT_NE(html.find(">丁</a>"), std::string::npos);
    EXPECT_FALSE(grid_.RenderSize);  // fewer rows than the limit
    data_.First();
    data_.Next();  // record 2: records 1 and 2
    html = render();
    EXPECT_EQ(rowIds(html).size(), 2u);
    EXPECT_NE(html.find("&lt;b&gt;甲"), std::string::npos);
    EXPECT_TRUE(grid_.RenderSize);
    EXPECT_EQ(data_.position(), 1u);
    grid_.FromStart = true;
    EXPECT_NE(render().find("&lt;b&gt;甲"), std::string::npos);
}

TEST_F(TWFDBGridTest, RefreshModesDecideWhenRowsAreReadAgain) {
    std::string before = render();
    MemoryDataSet changed(questionFields(), {{"9", "新", "单选题", ""}});
    changed.editing = true;
    grid_.DataSource = &changed;
    EXPECT_EQ(render(), before);  // automatic: not while a record is edited
    grid_.RefreshMode = TWFRefreshMode::rmAlways;
    EXPECT_EQ(errorOf([&] { render(); }), "Cannot refresh grid while data is in edit or insert mode.");
    changed.editing = false;
    EXPECT_NE(render().find(">新</a>"), std::string::npos);
    grid_.RefreshMode = TWFRefreshMode::rmManual;
    grid_.DataSource = &data_;
    EXPECT_NE(render().find(">新</a>"), std::string::npos);
}

TEST_F(TWFDBGridTest, RollOverScriptAndRowEvents) {
    grid_.RollOverColor = 11845362;
    std::string html = render();
    EXPECT_EQ(pageScript_,
              "function rollon_WFDBGRID1(row,where){ \r\nvar tablecolor;\r\nif (where == 'over'){\r\n"
              " currentcolor=document.getElementById(row).style.backgroundColor\r\n"
              " document.getElementById(row).style.backgroundColor='#F2BEB4' \r\n }else{ \r\n"
              " document.getElementById(row).style.backgroundColor=currentcolor; }\r\n}\r\n");
    EXPECT_EQ(html.find("onmouseover"), std::string::npos);
    grid_.RollOver = true;
    html = render();
    std::string id = rowIds(html)[0];
    EXPECT_NE(html.find("<tr id=\"" + id + "\" onmouseout=\"rollon_WFDBGRID1(" + id +
                        ",'')\" onmouseover=\"rollon_WFDBGRID1(" + id + ",'over')\">"),
              std::string::npos);
}

TEST_F(TWFDBGridTest, LongTextsAreCutToTheCharacterLimit) {
    grid_.Columns[1].BlobCharLimit = 1;
    grid_.Columns[1].RawText = true;
    std::string html = render();
    EXPECT_NE(html.find(">乙...</a>"), std::string::npos);
    EXPECT_NE(html.find(">丁</a>"), std::string::npos);
    EXPECT_NE(html.find("><...</a>"), std::string::npos);
}

TEST_F(TWFDBGridTest, RowColours) {
    grid_.Options.dgShowTitles = false;
    grid_.RowAlternateColor = clSilver;
    grid_.HighlightRows = true;
    grid_.HighlightColor = clYellow;
    grid_.Columns[2].CompareHighlight = TWFHighlightCompare::hcEqualTo;
    grid_.Columns[2].CompareValue = "判断题";
    grid_.RowCurrentColor = clRed;
    data_.First();
    std::string html = render();
    std::vector<std::string> ids = rowIds(html);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_NE(html.find(ids[0] + "\" bgcolor=\"#FF0000\">"), std::string::npos);  // current
    EXPECT_NE(html.find(ids[1] + "\" bgcolor=\"#C0C0C0\">"), std::string::npos);  // even
    EXPECT_NE(html.find(ids[2] + "\" bgcolor=\"#FFFF00\">"), std::string::npos);  // highlighted
}

// A page with the question list, posted to as the browser would.
class QuestionPage : public TWFAppForm {
public:
    explicit QuestionPage(TWFDataSet& data) : TWFAppForm("WFForm4", "TWFForm4", 1000, 679) {
        auto& grid = Add(std::make_unique<TWFDBGrid>("WFDBGrid1"));
        grid.DataSource = &data;
        grid.Columns.Add().SetDataField("编号");
        TWFDBGridColumn& text = grid.Columns.Add();
        text.SetDataField("题目");
        text.LinkField = "编号";
        text.OnClick = [this](TWFDBGridColumn& sender, const std::string& value) {
            clicked = sender.DataField() + ":" + value;
        };
    }
    std::string clicked;
};

TEST(TWFDBGridPageTest, LinkPostsTheLinkFieldValueToTheColumn) {
    testing_support::RuntimeFixture runtime;
    web::TWFSessionStart start;
    start.browserKind = TWFBrowser::brSafari;
    web::TWFApplication session(start);
    MemoryDataSet data(questionFields(), {{"17", "甲", "单选题", ""}, {"42", "乙", "单选题", ""}});
    QuestionPage page(data);
    std::string html = page.RenderDocument(session);
    EXPECT_NE(html.find("return SubmitClickConfirm('WFDBGRID1','1_42', true, '');"), std::string::npos);
    EXPECT_NE(html.find("function rollon_WFDBGRID1(row,where){ "), std::string::npos);
    web::FieldList fields;
    fields.add("WF_Action", "WFDBGRID1");
    fields.add("WF_ActionParam", "1_42");
    page.ProcessSubmit(fields);
    EXPECT_EQ(page.clicked, "题目:42");
}

}  // namespace
}  // namespace web::forms
