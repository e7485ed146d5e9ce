#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/RuntimeFixture.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFHRule.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/forms/controls/TWFURLWindow.h"
#include "web/server/TWFApplication.h"

namespace web::forms {
namespace {

TEST(TWFRenderKeyTest, TextsCarryTheirLengthSoNoTwoSequencesWriteTheSameKey) {
    TWFRenderKey split;
    split.text("ab").text("c");
    TWFRenderKey other;
    other.text("a").text("bc");
    EXPECT_NE(split.written(), other.written());
    TWFRenderKey numbers;
    numbers.numbers({1, 23});
    TWFRenderKey joined;
    joined.numbers({12, 3});
    EXPECT_NE(numbers.written(), joined.written());
}

// Every kind of control that renders from memos, with what makes each write more than a
// tag: a required edit (a validation), an image-drawn check box (page script), a link and
// a button (click scripts), an empty region and one with a child.
class EveryKindPage : public TWFAppForm {
public:
    EveryKindPage() : TWFAppForm("WFForm9", "TWFForm9", 1000, 679) {
        label = &Add(std::make_unique<TWFLabel>("WFLabel1"));
        label->Caption = "第 1 / 6 题 <b>";
        link = &Add(std::make_unique<TWFLink>("WFLink1"));
        link->Caption = "【返回】";
        link->Confirmation = "Sure? It's \"final\"";
        link->OnClick = [](TWFControl&) {};
        Add(std::make_unique<TWFHRule>("WFHRule1"));
        edit = &Add(std::make_unique<TWFEdit>("WFEdit1"));
        edit->Text = "张三";
        edit->Required = true;
        edit->FriendlyName = "姓名";
        label->FocusControl = edit;
        memo = &Add(std::make_unique<TWFMemo>("WFMemo1"));
        memo->Lines = {"我国的首都是哪座城市？"};
        memo->Editable = false;
        radio = &Add(std::make_unique<TWFRadioGroup>("WFRadioGroup1"));
        radio->Items = {"A.上海", "B.北京"};
        radio->ItemIndex = -1;
        button = &Add(std::make_unique<TWFButton>("WFButton1"));
        button->Caption = "下一题";
        button->OnClick = [](TWFControl&) {};
        check = &Add(std::make_unique<TWFCheckBox>("XA"));
        check->Caption = "A.猫";
        for (const char* name : {"XB", "XC"}) {
            TWFCheckBox& cool = Add(std::make_unique<TWFCheckBox>(name));
            cool.Style = TWFCheckBoxStyle::stCool;
            cool.Caption = name;
        }
        TWFURLWindow& banner = Add(std::make_unique<TWFURLWindow>("WFURLWindow1"));
        banner.URI = "/zxtest/banner.html";
        Add(std::make_unique<TWFRegion>("DQJLCOL")).Color = 0x7FA9FE;
        TWFRegion& region = Add(std::make_unique<TWFRegion>("WFRegion1"));
        inRegion = &region.Add(std::make_unique<TWFLabel>("WFLabel2"));
        inRegion->Caption = "单选题";
    }

    TWFLabel* label;
    TWFLink* link;
    TWFEdit* edit;
    TWFMemo* memo;
    TWFRadioGroup* radio;
    TWFButton* button;
    TWFCheckBox* check;
    TWFLabel* inRegion;
};

// The label writes whatever it is given, but tells only its alignment as its key.
class ForgetfulLabel : public TWFLabel {
public:
    using TWFLabel::TWFLabel;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const override {
        key.numbers({static_cast<int>(Alignment)});
        return true;
    }
};

// Two kinds of control whose keys are alike to the byte: only what they are tells them
// apart.
template <char kMark>
class Mark : public TWFLabel {
public:
    using TWFLabel::TWFLabel;
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40&) override {
        auto tag = std::make_unique<TWFHTMLTag>("span");
        tag->addMarkup(std::string(1, kMark));
        return tag;
    }
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const override {
        appendControlKey(key);
        return true;
    }
};

class TWFRenderMemoTest : public ::testing::Test {
protected:
    // Unchecked: a checked render from a memo renders afresh, so these tests could not
    // tell a memo's page from a fresh one.
    TWFRenderMemoTest() : session_(start()) {
        session_.SetStartAddress("/EXEC/0/" + session_.SessionID());
        TWFRenderMemoTable::clear();
        SetCheckRenderMemos(false);
    }
    ~TWFRenderMemoTest() override {
        TWFRenderMemoTable::clear();
        SetCheckRenderMemos(checked_);
    }

    static web::TWFSessionStart start() {
        web::TWFSessionStart s;
        s.browserKind = web::TWFBrowser::brSafari;
        return s;
    }

    // What the page writes with no memo in the process: its first render records, it
    // never replays.
    std::string fromScratch(EveryKindPage& page) {
        TWFRenderMemoTable::clear();
        return page.RenderDocument(session_);
    }

    const bool checked_ = CheckRenderMemos();
    testing_support::RuntimeFixture runtime_;
    web::TWFApplication session_;
};

TEST_F(TWFRenderMemoTest, APageWrittenFromAnotherPagesMemosIsWhatARenderFromScratchWrites) {
    EveryKindPage first;
    const std::string firstHtml = first.RenderDocument(session_);
    EXPECT_EQ(first.RenderDocument(session_), firstHtml);
    EveryKindPage second;  // another candidate's page, every control found in the table
    const std::string fromMemos = second.RenderDocument(session_);
    EXPECT_EQ(fromMemos, firstHtml);
    EveryKindPage third;
    EXPECT_EQ(fromMemos, fromScratch(third));
    // The image-drawn boxes share one toggle script, written once.
    const std::string toggle = "function CoolCheckBoxToggle(";
    ASSERT_NE(fromMemos.find(toggle), std::string::npos);
    EXPECT_EQ(fromMemos.find(toggle, fromMemos.find(toggle) + 1), std::string::npos);
    EXPECT_NE(fromMemos.find("姓名 is a required field."), std::string::npos);
}

TEST_F(TWFRenderMemoTest, AChangedPropertyIsNeverWrittenFromAnEarlierRender) {
    EveryKindPage page;
    page.RenderDocument(session_);
    page.RenderDocument(session_);
    const auto change = [](EveryKindPage& p) {
        p.label->Caption = "第 2 / 6 题";
        p.link->Enabled = false;
        p.edit->Text = "李四";
        p.memo->Lines = {"一年有几个月？"};
        p.radio->ItemIndex = 1;
        p.button->Caption = "上一题";
        p.check->Checked = true;
        p.inRegion->Left = 40;
    };
    change(page);
    const std::string changed = page.RenderDocument(session_);
    EXPECT_NE(changed.find("第 2 / 6 题"), std::string::npos);
    EXPECT_NE(changed.find("李四"), std::string::npos);
    EveryKindPage expected;
    change(expected);
    EXPECT_EQ(changed, fromScratch(expected));
}

TEST_F(TWFRenderMemoTest, ControlsOfDifferentKindsNeverShareAMemo) {
    TWFAppForm withStar("WFForm9", "TWFForm9", 1000, 679);
    withStar.Add(std::make_unique<Mark<'*'>>("WFX"));
    TWFAppForm withDash("WFForm9", "TWFForm9", 1000, 679);
    withDash.Add(std::make_unique<Mark<'-'>>("WFX"));
    withStar.RenderDocument(session_);
    EXPECT_NE(withStar.RenderDocument(session_).find(">*</span>"), std::string::npos);
    EXPECT_NE(withDash.RenderDocument(session_).find(">-</span>"), std::string::npos);
}

// A navigator: a clickable row per question, the current one in its own colour.
class NavigatorPage : public TWFAppForm {
public:
    NavigatorPage() : TWFAppForm("WFForm9", "TWFForm9", 1000, 679) {
        grid = &Add(std::make_unique<TWFGrid>("WFGrid1"));
        grid->SetRowCount(4);
        for (int row = 0; row < 4; ++row) {
            TWFGridCell& cell = grid->Cell(row, 0);
            cell.Text = std::to_string(row + 1) + ".第 " + std::to_string(row + 1) + " 题 <i>";
            cell.Clickable = true;
            cell.BGColor = 0xC7C6B6;
        }
        grid->OnCellClick = [](TWFControl&, int, int) {};
    }
    TWFGrid* grid;
};

TEST_F(TWFRenderMemoTest, AGridRowIsWrittenAnewOnlyWhenOneOfItsCellsChanged) {
    NavigatorPage page;
    page.RenderDocument(session_);
    page.RenderDocument(session_);
    page.grid->Cell(2, 0).BGColor = 0x7FA9FE;
    page.grid->Cell(3, 0).Text = "4.改过的题";
    const std::string changed = page.RenderDocument(session_);
    EXPECT_NE(changed.find("bgcolor=\"#FEA97F\""), std::string::npos);
    EXPECT_NE(changed.find("4.改过的题"), std::string::npos);
    NavigatorPage expected;
    expected.grid->Cell(2, 0).BGColor = 0x7FA9FE;
    expected.grid->Cell(3, 0).Text = "4.改过的题";
    TWFRenderMemoTable::clear();
    EXPECT_EQ(changed, expected.RenderDocument(session_));
}

// The handler writes what the page holds elsewhere; the cell as it was before it ran says
// nothing of that.
TEST_F(TWFRenderMemoTest, AGridThatChangesItsCellsAsTheyAreWrittenWritesEveryRowAfresh) {
    NavigatorPage page;
    page.grid->Cell(0, 0).Clickable = false;
    bool on = false;
    page.grid->OnRenderCell = [&](TWFGridCell& cell, int row, int) {
        if (row == 0) cell.Text = on ? "开" : "关";
    };
    for (bool state : {false, true, false}) {
        on = state;
        page.RenderDocument(session_);
    }
    // The cell reads "关" again, as it did when the handler last turned it to "开".
    const std::string html = page.RenderDocument(session_);
    EXPECT_NE(html.find(">关<"), std::string::npos);
    EXPECT_EQ(html.find(">开<"), std::string::npos);
}

TEST_F(TWFRenderMemoTest, CheckedRendersStopAtAKeyThatMissesAnInput) {
    TWFAppForm page("WFForm9", "TWFForm9", 1000, 679);
    TWFLabel& label = page.Add(std::make_unique<ForgetfulLabel>("WFLabel1"));
    label.Caption = "第 1 题";
    page.RenderDocument(session_);
    page.RenderDocument(session_);
    label.Caption = "第 2 题";
    SetCheckRenderMemos(true);
    EXPECT_DEATH(page.RenderDocument(session_), "WFLABEL1 renders differently from the same render key");
}

}  // namespace
}  // namespace web::forms
