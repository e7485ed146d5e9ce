#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/pages/home/TWFForm2.h"
#include "app/pages/examlist/TWFForm3.h"
#include "app/pages/settings/TWFForm4.h"
#include "app/pages/results/TWFForm6.h"
#include "tests/app/pages/AdminPageTest.h"

namespace exam::pages::testing {
namespace {

// Two exams (the second hidden from the home page), each with a question, an answer row and
// a result.
class TWFForm3Test : public AdminPageTest {
protected:
    TWFForm3Test() {
        exec("INSERT INTO test (id,考试名称,set2) VALUES (7,'<b>语文</b>',0),(9,'数学',1)");
        exec(
            "INSERT INTO tm (id,testid,题型,题目,答案,分数) VALUES "
            "(70,7,'单选题','q','A',1),(90,9,'单选题','q','A',1)");
        exec(
            "INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (7,70,'张三','A',''),(9,90,'张三','A','')");
        exec(
            "INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES "
            "(7,'1.2.3.4','张三',1,''),(9,'1.2.3.4','张三',1,'')");
        page_ = &show<TWFForm3>();
    }

    Rows rowsOfExam(int id) {
        const std::string n = std::to_string(id);
        return {rows("select count(*) from cj where testid=" + n)[0],
                rows("select count(*) from dtxb where testid=" + n)[0],
                rows("select count(*) from tm where testid=" + n)[0],
                rows("select count(*) from test where id=" + n)[0]};
    }

    TWFForm3* page_;
};

TEST_F(TWFForm3Test, ListsEveryExamWithItsActionsAndWhetherTheHomePageShowsIt) {
    web::forms::TWFGrid& grid = *page_->WFGrid1;
    ASSERT_EQ(grid.RowCount(), 3);
    const std::vector<std::vector<std::string>> expected{
        {"考试编号", "考试名称", "考试设置", "删除测试", "查看统计", "状态"},
        {"7", "<b>语文</b>", "点击设置", "点击删除", "点击查看", "生效"},
        {"9", "数学", "点击设置", "点击删除", "点击查看", "隐藏"}};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 6; ++column) {
            EXPECT_EQ(grid.Cell(row, column).Text, expected[row][column]) << row << "," << column;
            EXPECT_EQ(grid.Cell(row, column).Clickable, row > 0 && column >= 2 && column <= 4)
                << row << "," << column;
        }
    }
    const std::string html = render();
    EXPECT_NE(html.find("<title>考试列表---栎川考试系统</title>"), std::string::npos);
    EXPECT_NE(html.find("<b>语文</b>"), std::string::npos) << "exam names are the administrator's markup";
    EXPECT_EQ(html.find("新建考试为默认状态"), std::string::npos) << "the dialogs start hidden";
    EXPECT_EQ(html.find("WFEDIT5"), std::string::npos);
}

TEST_F(TWFForm3Test, CreatesExamsWithTheTypedNameEvenEmpty) {
    click("WFLINK2");
    ASSERT_TRUE(page_->WFRegion4->Visible);
    EXPECT_NE(render().find("新建考试为默认状态："), std::string::npos);
    EXPECT_TRUE(click("WFBUTTON1", "", {{"WFEDIT1", " 英语 'A' "}}).empty());
    EXPECT_FALSE(page_->WFRegion4->Visible);
    click("WFLINK2");
    EXPECT_EQ(page_->WFEdit1->Text, "") << "the dialog opens with an empty name";
    click("WFBUTTON1", "", {{"WFEDIT1", ""}});

    EXPECT_EQ(
        rows("select 考试名称,考试标识 is null,set1,set2,set3,wid is null from test where id>9 order by id"),
        (Rows{{" 英语 'A' ", "1", "0", "0", "0", "1"}, {"", "1", "0", "0", "0", "1"}}));
    ASSERT_EQ(page_->WFGrid1->RowCount(), 5);
    EXPECT_EQ(page_->WFGrid1->Cell(3, 1).Text, " 英语 'A' ");
    EXPECT_EQ(page_->WFGrid1->Cell(4, 1).Text, "");
    EXPECT_EQ(page_->WFGrid1->Cell(4, 5).Text, "生效");
}

TEST_F(TWFForm3Test, PasswordChangeRefusalsWriteNothing) {
    struct Case {
        const char* oldPassword;
        const char* newPassword;
        const char* repeated;
        const char* message;
    };
    const Case cases[] = {
        {"", "new", "new", "原密码和新设密码不能为空！"},
        {"secret", "", "", "原密码和新设密码不能为空！"},
        {"secret", "new", "New", "新设密码和重复密码不一致！！"},
        {"wrong", "new", "new", "原密码错误！！！"},
        {"SECRET", "new", "new", "原密码错误！！！"},  // compared with letter case, unlike the login
        {" secret", "new", "new", "原密码错误！！！"},
    };
    click("WFLINK1");
    for (const Case& c : cases) {
        const auto alerts =
            click("WFBUTTON2", "",
                  {{"WFEDIT2", c.oldPassword}, {"WFEDIT3", c.newPassword}, {"WFEDIT4", c.repeated}});
        EXPECT_EQ(alerts, std::vector<std::string>{c.message}) << c.oldPassword << "/" << c.newPassword;
        EXPECT_EQ(rows("select setz from shezhi"), Rows{{"secret"}});
        EXPECT_TRUE(page_->WFRegion6->Visible);
        EXPECT_EQ(page_->WFEdit2->Text, c.oldPassword) << "the dialog keeps what was typed";
    }
}

TEST_F(TWFForm3Test, PasswordChangeStoresTheNewPasswordExactly) {
    click("WFLINK1");
    const auto alerts =
        click("WFBUTTON2", "", {{"WFEDIT2", "secret"}, {"WFEDIT3", " Neu'1 "}, {"WFEDIT4", " Neu'1 "}});
    EXPECT_EQ(alerts, std::vector<std::string>{"你已经成功的修改了密码，再次登录请使用新密码！"});
    EXPECT_EQ(rows("select setx,setz from shezhi"), (Rows{{"pass", " Neu'1 "}}));
    EXPECT_TRUE(page_->WFRegion6->Visible);
    EXPECT_EQ(page_->WFEdit3->Text, " Neu'1 ");

    click("WFLINK1");
    EXPECT_EQ(page_->WFEdit2->Text, "");
    EXPECT_EQ(page_->WFEdit3->Text, "");
    EXPECT_EQ(page_->WFEdit4->Text, "");
    click("WFLINK4");
    EXPECT_FALSE(page_->WFRegion6->Visible);
}

TEST_F(TWFForm3Test, DeletingAnExamRemovesItsResultsAnswersQuestionsAndTheExamOnly) {
    click("WFGRID1", "1_3");
    ASSERT_TRUE(page_->WFRegion8->Visible);
    click("WFGRID1", "2_3");  // the later choice replaces the earlier one
    EXPECT_EQ(page_->WFLabel7->Caption, "9");
    const std::string html = render();
    EXPECT_NE(html.find("您确实要删除数学及其所有题目及成绩信息吗？"), std::string::npos);
    EXPECT_EQ(rowsOfExam(9), (Rows{{"1"}, {"1"}, {"1"}, {"1"}}))
        << "nothing is deleted before the confirmation";

    EXPECT_TRUE(click("WFLINK6").empty());
    EXPECT_EQ(rowsOfExam(9), (Rows{{"0"}, {"0"}, {"0"}, {"0"}}));
    EXPECT_EQ(rowsOfExam(7), (Rows{{"1"}, {"1"}, {"1"}, {"1"}}));
    EXPECT_FALSE(page_->WFRegion8->Visible);
    ASSERT_EQ(page_->WFGrid1->RowCount(), 2);
    EXPECT_EQ(page_->WFGrid1->Cell(1, 0).Text, "7");
}

TEST_F(TWFForm3Test, TheConfirmationEscapesTheExamNameAndCancelKeepsEverything) {
    click("WFGRID1", "1_3");
    EXPECT_NE(render().find("您确实要删除&lt;b&gt;语文&lt;/b&gt;及其所有题目及成绩信息吗？"),
              std::string::npos);
    click("WFLINK7");
    EXPECT_FALSE(page_->WFRegion8->Visible);
    EXPECT_EQ(rowsOfExam(7), (Rows{{"1"}, {"1"}, {"1"}, {"1"}}));
}

TEST_F(TWFForm3Test, AFailedExamDeletionLeavesEverythingInPlace) {
    exec("CREATE TRIGGER keep_exam BEFORE DELETE ON test BEGIN SELECT RAISE(ABORT, 'exam is locked'); END");
    click("WFGRID1", "1_3");
    const auto alerts = click("WFLINK6");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].find("exam is locked"), std::string::npos);
    EXPECT_EQ(rowsOfExam(7), (Rows{{"1"}, {"1"}, {"1"}, {"1"}}));
}

TEST_F(TWFForm3Test, ListCellsLeadToSettingsAndResultsAndKeepTheExam) {
    click("WFGRID1", "2_2");
    EXPECT_NE(activeAs<TWFForm4>(), nullptr);
    EXPECT_EQ(user().ExamId, "9");

    page_ = &show<TWFForm3>();
    click("WFGRID1", "1_4");
    EXPECT_NE(activeAs<TWFForm6>(), nullptr);
    EXPECT_EQ(user().ExamId, "7");

    page_ = &show<TWFForm3>();
    click("WFGRID1", "2_1");
    EXPECT_NE(activeAs<TWFForm3>(), nullptr) << "other cells only remember the exam";
    EXPECT_EQ(user().ExamId, "9");
    click("WFLINK5");
    EXPECT_NE(activeAs<TWFForm2>(), nullptr);
}

}  // namespace
}  // namespace exam::pages::testing
