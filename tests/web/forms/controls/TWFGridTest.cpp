#include "web/forms/controls/TWFGrid.h"

#include <gtest/gtest.h>

#include "tests/support/RuntimeFixture.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/TWFPageContext40.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/server/Errors.h"
#include "web/server/TWFApplication.h"

namespace web::forms {
namespace {

using web::TWFBrowser;

// A bare container standing for the page.
class TestContainer : public TWFContainer {
public:
    std::string LayoutObjectName() const override { return "WFCLForm"; }
    bool IsPage() const override { return true; }
};

std::string markup(TWFControl& control, TWFBrowser browser = TWFBrowser::brSafari) {
    TWFPageContext40 context(browser);
    return control.renderTag(context)->render();
}

template <typename Action>
std::string errorOf(Action action) {
    try {
        action();
    } catch (const web::EWFException& error) {
        return error.what();
    }
    return "<no error>";
}

class TWFGridTest : public ::testing::Test {
protected:
    TWFGridTest() : grid_(container_.Add(std::make_unique<TWFGrid>("WFGrid1"))) {}

    // The markup of the grid's only cell after `fill` set it up.
    std::string cellMarkup(const std::function<void(TWFGridCell&)>& fill) {
        fill(grid_.Cell(0, 0));
        std::string table = markup(grid_);
        std::size_t start = table.find("<tr>") + 4;
        return table.substr(start, table.find("</tr>") - start);
    }

    TestContainer container_;
    TWFGrid& grid_;
};

TEST_F(TWFGridTest, CellsNeverAccessedRenderAsEmptyCells) {
    grid_.SetRowCount(2);
    grid_.SetColumnCount(3);
    const std::string row = "<tr><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td></tr>";
    EXPECT_EQ(markup(grid_), "<table id=\"tblWFGRID1\" border=\"1\" cellpadding=\"0\" cellspacing=\"0\" "
                             "width=\"300\">\r\n  " + row + "\r\n  " + row + "\r\n</table>");
    grid_.ShowEmptyCells = false;
    EXPECT_NE(markup(grid_).find("<tr><td></td><td></td><td></td></tr>"), std::string::npos);
    EXPECT_FALSE(grid_.CellExists(1, 2));
}

TEST_F(TWFGridTest, ResizingKeepsTheCellsInsideAndRefusesBadSizes) {
    grid_.SetRowCount(3);
    grid_.SetColumnCount(3);
    grid_.Cell(0, 0).Text = "kept";
    grid_.Cell(0, 0).BGColor = clRed;
    grid_.Cell(2, 2).Text = "dropped";
    grid_.SetColumnCount(0);  // ignored
    EXPECT_EQ(grid_.ColumnCount(), 3);
    grid_.SetRowCount(2);
    grid_.SetColumnCount(2);
    grid_.SetRowCount(3);
    grid_.SetColumnCount(3);
    EXPECT_EQ(grid_.Cell(0, 0).Text, "kept");
    EXPECT_EQ(grid_.Cell(0, 0).BGColor, clRed);
    EXPECT_FALSE(grid_.CellExists(2, 2));
    grid_.SetRowCount(0);
    EXPECT_EQ(markup(grid_).find("<tr"), std::string::npos);

    EXPECT_EQ(errorOf([&] { grid_.SetRowCount(-1); }), "Invalid RowCount value!");
    for (auto [row, column] : {std::pair{0, 0}, {-1, 0}, {0, -1}, {0, 3}}) {
        EXPECT_EQ(errorOf([&] { grid_.Cell(row, column); }), "Index out of bounds.") << row << "," << column;
        EXPECT_EQ(errorOf([&] { grid_.CellExists(row, column); }), "Index out of bounds.");
    }
}

TEST_F(TWFGridTest, PlainCellTextIsMarkupUnlessRawTextIsOff) {
    EXPECT_EQ(cellMarkup([](TWFGridCell& cell) { cell.Text = "<b>张三</b> & 1"; }),
              "<td valign=\"middle\" align=\"left\" NOWRAP><font style=\"font-size:13px;\"><b>张三</b> & 1</font></td>");
    EXPECT_EQ(cellMarkup([](TWFGridCell& cell) {
                  cell.RawText = false;
                  cell.Text = "<b>x</b>\r\n\"y\"";
              }),
              "<td valign=\"middle\" align=\"left\" NOWRAP><font style=\"font-size:13px;\">"
              "&lt;b&gt;x&lt;/b&gt;<br>&quot;y&quot;</font></td>");
    EXPECT_NE(cellMarkup([](TWFGridCell& cell) { cell.Text = "  "; }).find(">&nbsp;</font>"), std::string::npos);
}

TEST_F(TWFGridTest, CellPropertiesBecomeAttributesInOrder) {
    EXPECT_EQ(cellMarkup([](TWFGridCell& cell) {
                  cell.Text = "t";
                  cell.Header = true;
                  cell.VAlign = TWFVAlign::vaTop;
                  cell.Alignment = TAlignment::taCenter;
                  cell.Hint = "say \"hi\"";
                  cell.Wrap = true;
                  cell.SetWidth(" 50% ");
                  cell.SetHeight("20");
                  cell.BGColor = clYellow;
                  cell.Font.FontName = "宋体";
                  cell.Font.Color = clRed;
                  cell.Font.Size = 12;
                  cell.Font.Style = {TFontStyle::fsBold, TFontStyle::fsStrikeOut};
              }),
              "<th valign=\"top\" align=\"center\" title=\"say &quot;hi&quot;\" width=\"50%\" height=\"20\" "
              "bgcolor=\"#FFFF00\"><font face=\"宋体\" color=\"#FF0000\" style=\"font-size:16px;\">"
              "<B><STRIKE>t</STRIKE></B></font></th>");
    // A font with a site class leaves the text to the style sheet.
    EXPECT_EQ(cellMarkup([](TWFGridCell& cell) {
                  cell.Header = false;
                  cell.Font.CSSStyle = "qbk";
                  cell.Text = "x";
              }),
              "<td valign=\"top\" align=\"center\" title=\"say &quot;hi&quot;\" width=\"50%\" height=\"20\" "
              "bgcolor=\"#FFFF00\" class=\"qbk\" style=\"position:static;\">x</td>");
    EXPECT_EQ(cellMarkup([](TWFGridCell& cell) { cell.Visible = false; }), "<td>&nbsp;</td>");
}

TEST_F(TWFGridTest, CellSizesAreChecked) {
    TWFGridCell cell;
    for (const char* width : {"0", "120", " 7 ", "50%", "3*", "any*"}) {
        EXPECT_EQ(errorOf([&] { cell.SetWidth(width); }), "<no error>") << width;
    }
    EXPECT_EQ(cell.Width(), "any*");
    for (const char* width : {"", "-1", "0%", "1.5", "12px", "%"}) {
        EXPECT_EQ(errorOf([&] { cell.SetWidth(width); }), "\"" + std::string(width) + "\" is not a valid width.");
    }
    EXPECT_EQ(errorOf([&] { cell.SetHeight("3*"); }), "\"3*\" is not a valid height.");
    cell.SetHeight("10%");
    EXPECT_EQ(cell.Height(), "10%");
}

TEST_F(TWFGridTest, NewCellsTakeTheGridFontOfTheirCreation) {
    grid_.SetColumnCount(2);
    grid_.Font.Size = 12;
    TWFGridCell& early = grid_.Cell(0, 0);
    grid_.Font.Size = 9;
    EXPECT_EQ(early.Font.Size, 12);
    EXPECT_EQ(grid_.Cell(0, 1).Font.Size, 9);
}

TEST_F(TWFGridTest, ClickableCellIsALinkPostingItsPosition) {
    grid_.SetRowCount(5);
    grid_.SetColumnCount(2);
    TWFGridCell& cell = grid_.Cell(4, 1);
    cell.Clickable = true;
    cell.Text = "<i>考试</i>";
    std::string other = markup(grid_);
    EXPECT_NE(other.find("<font style=\"font-size:13px;\"><a href=\"#\" onclick=\"return "
                         "SubmitClickConfirm('WFGRID1','4_1', true, '');\"><i>考试</i></a></font>"),
              std::string::npos)
        << other;
    grid_.ShowHint = true;
    grid_.Hint = "it's";
    cell.RawText = false;
    std::string explorer = markup(grid_, TWFBrowser::brIE);
    EXPECT_NE(explorer.find("<a href=\"#\" onclick=\"SubmitClickConfirm('WFGRID1','4_1', true, '');return false;\" "
                            "title=\"it&#39s\">&lt;i&gt;考试&lt;/i&gt;</a>"),
              std::string::npos)
        << explorer;
    // The confirmation is escaped for the script, then with the call for the attribute.
    grid_.ShowHint = false;
    grid_.Confirmation = "交卷? \"A&B\"";
    std::string confirmed = markup(grid_);
    EXPECT_NE(confirmed.find("onclick=\"return SubmitClickConfirm('WFGRID1','4_1', true, "
                             "'交卷? \\&quot;A&amp;B\\&quot;');\">"),
              std::string::npos)
        << confirmed;
}

TEST_F(TWFGridTest, OnRenderCellSeesEachCellBeforeItIsWritten) {
    grid_.SetColumnCount(2);
    grid_.Cell(0, 0).Text = "a";
    grid_.Cell(0, 1).Visible = false;
    std::vector<std::string> seen;
    grid_.OnRenderCell = [&seen](TWFGridCell& cell, int row, int column) {
        seen.push_back(std::to_string(row) + "," + std::to_string(column));
        cell.Text += "!";
    };
    EXPECT_NE(markup(grid_).find(">a!</font>"), std::string::npos);
    EXPECT_EQ(seen, std::vector<std::string>{"0,0"});
}

TEST_F(TWFGridTest, TableAttributesFollowTheBorderSettings) {
    grid_.SetRowCount(0);
    grid_.BGColor = clWhite;
    grid_.CellPadding = 3;
    grid_.CellSpacing = 1;
    grid_.BorderColors = {clBlack, clSilver, clGray};
    grid_.Lines = TWFTableLines::tlRows;
    grid_.BorderStyle = TWFTableFrame::tfVoid;
    grid_.Caption = "<b>Caption</b>";
    grid_.Summary = "Sum";
    EXPECT_EQ(markup(grid_), "<table id=\"tblWFGRID1\" border=\"1\" bgcolor=\"#FFFFFF\" cellpadding=\"3\" "
                             "cellspacing=\"1\" width=\"300\" bordercolor=\"#000000\" bordercolorlight=\"#C0C0C0\" "
                             "bordercolordark=\"#808080\" rules=\"rows\" frame=\"void\">"
                             "<CAPTION><b>Caption</b></CAPTION><SUMMARY>Sum</SUMMARY></table>");
    grid_.BorderSize = 0;
    grid_.UseSize = false;
    grid_.Caption.clear();
    grid_.Summary.clear();
    EXPECT_EQ(markup(grid_), "<table id=\"tblWFGRID1\" border=\"0\" bgcolor=\"#FFFFFF\" cellpadding=\"3\" "
                             "cellspacing=\"1\"></table>");
}

TEST_F(TWFGridTest, GridOnAPageHasNoElementOfItsOwnName) {
    grid_.Left = 10;
    grid_.Top = 20;
    TWFPageContext40 context(TWFBrowser::brSafari);
    std::string html = container_.RenderChildren(context);
    EXPECT_NE(html.find("<table id=\"tblWFGRID1\" border=\"1\" cellpadding=\"0\" cellspacing=\"0\" width=\"300\" "
                        "class=\"WFGRID1CSS\""),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("id=\"WFGRID1\""), std::string::npos);
    EXPECT_NE(context.styleRules.find(".WFGRID1CSS {position:absolute;left:10;top:20;z-index:100;width:300;"
                                      "height:150;"),
              std::string::npos)
        << context.styleRules;
}

TEST_F(TWFGridTest, FramedGridScrollsInABoxOfTheControlsSize) {
    grid_.UseFrame = true;
    TWFPageContext40 safari(TWFBrowser::brSafari);
    std::string html = container_.RenderChildren(safari);
    EXPECT_NE(html.find("<div style=\"border-style:inset;border-width:2;overflow:auto;padding:0;"
                        "clip:rect(0px,304px,154px,0px);\" class=\"WFGRID1CSS\" id=\"WFGRID1\" tabindex=\"2\">"
                        "<table id=\"tblWFGRID1\" border=\"1\" cellpadding=\"0\" cellspacing=\"0\" width=\"100%\" "
                        "style=\"font-style:normal;font-size:13px;text-decoration: none;\">"),
              std::string::npos)
        << html;
    EXPECT_NE(safari.wfclInitScript.find("if (WFGRID1WFCL) {\r\nWFGRID1WFCL.BorderWidthPixels = 2;\r\n}\r\n"),
              std::string::npos);
    TWFPageContext40 explorer(TWFBrowser::brIE);
    EXPECT_NE(container_.RenderChildren(explorer).find("overflow-x:auto;overflow-y:auto;padding:0;"
                                                       "clip:rect(0px,300px,150px,0px);"),
              std::string::npos);
}

TEST_F(TWFGridTest, GridClosesTheFormWrapperAndOpensItsOwn) {
    container_.Add(std::make_unique<TWFEdit>("WFEdit1")).TabOrder = -1;
    grid_.TabOrder = 0;
    container_.Add(std::make_unique<TWFButton>("WFButton1")).TabOrder = 1;
    container_.Add(std::make_unique<TWFLabel>("WFLabel1")).TabOrder = 2;
    container_.Add(std::make_unique<TWFGrid>("WFGrid2")).TabOrder = 3;
    TWFPageContext40 context(TWFBrowser::brSafari);
    std::string html = container_.RenderChildren(context);
    auto at = [&html](const std::string& text) {
        std::size_t found = html.find(text);
        EXPECT_NE(found, std::string::npos) << text;
        return found;
    };
    const std::string wrapper = "<form onsubmit=\"return FormDefaultSubmit();\">";
    std::size_t first = at(wrapper);
    std::size_t second = html.find(wrapper, first + 1);
    std::size_t third = html.find(wrapper, second + 1);
    ASSERT_NE(third, std::string::npos) << html;
    EXPECT_EQ(html.find(wrapper, third + 1), std::string::npos);
    // [edit] [grid, button] label [grid]
    EXPECT_LT(first, at("name=\"WFEDIT1\""));
    EXPECT_LT(at("name=\"WFEDIT1\""), at("</form>"));
    EXPECT_LT(html.find("</form>"), second);
    EXPECT_LT(second, at("tblWFGRID1"));
    EXPECT_LT(at("tblWFGRID1"), at("name=\"WFBUTTON1\""));
    EXPECT_LT(at("name=\"WFBUTTON1\""), html.find("</form>", second));
    EXPECT_LT(html.find("</form>", second), at("id=\"WFLABEL1\""));
    EXPECT_LT(at("id=\"WFLABEL1\""), third);
    EXPECT_LT(third, at("tblWFGRID2"));
}

TEST_F(TWFGridTest, SubmitParameterGivesRowAndColumn) {
    std::vector<std::string> clicks;
    grid_.OnCellClick = [&clicks](TWFControl& sender, int row, int column) {
        clicks.push_back(sender.Name + ":" + std::to_string(row) + "," + std::to_string(column));
    };
    grid_.Submit("12_30");  // the cell need neither exist nor be clickable
    EXPECT_EQ(clicks, std::vector<std::string>{"WFGrid1:12,30"});
    EXPECT_EQ(grid_.LastParameter(), "12_30");
    EXPECT_EQ(errorOf([&] { grid_.Submit("x_1"); }), "\"x\" is not a valid integer value.");
    EXPECT_EQ(errorOf([&] { grid_.Submit("3"); }), "\"\" is not a valid integer value.");
    EXPECT_EQ(errorOf([&] { grid_.Submit("1_2_3"); }), "\"2_3\" is not a valid integer value.");
    EXPECT_EQ(clicks.size(), 1u);
}

// A page with a grid of clickable cells, posted to as the browser would.
class GridPage : public TWFAppForm {
public:
    GridPage() : TWFAppForm("WFForm2", "TWFForm2", 1000, 679) {
        grid = &Add(std::make_unique<TWFGrid>("WFGrid1"));
        grid->SetRowCount(5);
        grid->SetColumnCount(2);
        grid->Cell(4, 1).Clickable = true;
        grid->Cell(4, 1).Text = "考试四";
        grid->OnCellClick = [this](TWFControl& sender, int row, int column) {
            senderName = sender.Name;
            clicked = {row, column};
        };
    }
    TWFGrid* grid;
    std::string senderName;
    std::pair<int, int> clicked{-1, -1};
};

TEST(TWFGridPageTest, CellClickReachesTheHandlerWithRowAndColumn) {
    testing_support::RuntimeFixture runtime;
    web::TWFSessionStart start;
    start.browserKind = TWFBrowser::brSafari;
    web::TWFApplication session(start);
    GridPage page;
    std::string html = page.RenderDocument(session);
    EXPECT_NE(html.find("return SubmitClickConfirm('WFGRID1','4_1', true, '');"), std::string::npos);
    web::FieldList fields;
    fields.add("WF_Action", "WFGRID1");
    fields.add("WF_ActionParam", "4_1");
    fields.add("WF_FormName", "WFForm2");
    page.ProcessSubmit(fields);
    EXPECT_EQ(page.senderName, "WFGrid1");
    EXPECT_EQ(page.clicked, std::make_pair(4, 1));
}

}  // namespace
}  // namespace web::forms
