#include <gtest/gtest.h>

#include "app/pages/login/TWFForm1.h"
#include "app/pages/home/TWFForm2.h"
#include "app/pages/exam/TWFForm5.h"
#include "tests/app/pages/CandidatePagesFixture.h"

namespace exam::pages::testing {
namespace {

using TWFForm2Test = CandidatePageTest;

constexpr const char* kNoQuestions = "该考试项目尚未设置习题，请选择其它考试项目或设置习题后再进行测试！";

TEST_F(TWFForm2Test, ListsTheExamsSwitchedOnForTheHomePage) {
    const std::int64_t first = createExam("语文");
    exec("INSERT INTO test (考试名称,set2) VALUES ('隐藏的考试',1)");
    const std::int64_t second = createExam("<b>数学</b>");

    TWFForm2& page = show<TWFForm2>();
    ASSERT_EQ(page.WFGrid1->RowCount(), 3);
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).Text, "考试编号");
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).Width(), "80");
    EXPECT_EQ(page.WFGrid1->Cell(0, 1).Text, "考试名称");
    EXPECT_FALSE(page.WFGrid1->Cell(0, 1).Clickable);
    EXPECT_EQ(page.WFGrid1->Cell(1, 0).Text, std::to_string(first));
    EXPECT_FALSE(page.WFGrid1->Cell(1, 0).Clickable);
    EXPECT_EQ(page.WFGrid1->Cell(1, 1).Text, "语文");
    EXPECT_TRUE(page.WFGrid1->Cell(1, 1).Clickable);
    EXPECT_EQ(page.WFGrid1->Cell(2, 0).Text, std::to_string(second));

    const std::string html = render();
    EXPECT_NE(html.find("<title>首页---栎川考试系统</title>"), std::string::npos);
    EXPECT_NE(html.find("请选择一个考试项目"), std::string::npos);
    EXPECT_NE(html.find("【系统设置】"), std::string::npos);
    // The administrator's exam names are markup; the hidden exam is not listed.
    EXPECT_NE(html.find("<b>数学</b>"), std::string::npos);
    EXPECT_EQ(html.find("隐藏的考试"), std::string::npos);
}

TEST_F(TWFForm2Test, AnEmptyListShowsTheHeadingRowAlone) {
    TWFForm2& page = show<TWFForm2>();
    EXPECT_EQ(page.WFGrid1->RowCount(), 1);
    EXPECT_EQ(page.WFGrid1->Cell(0, 1).Text, "考试名称");
}

TEST_F(TWFForm2Test, AnExamWithoutQuestionsIsRefusedButBecomesTheSessionsExam) {
    const std::int64_t empty = createExam("空考试");
    show<TWFForm2>();
    post({{"WF_Action", "WFGRID1"}, {"WF_ActionParam", "1_1"}});
    EXPECT_NE(activeAs<TWFForm2>(), nullptr);
    EXPECT_EQ(user().ExamId, std::to_string(empty));
    EXPECT_TRUE(alerts(kNoQuestions));
}

TEST_F(TWFForm2Test, AnExamWithAQuestionOpensTheExamPage) {
    createExam("空考试");
    const std::int64_t exam = createExam("有题的考试");
    addSingleChoice(exam, "第一题\r\n");
    show<TWFForm2>();
    post({{"WF_Action", "WFGRID1"}, {"WF_ActionParam", "2_1"}});
    TWFForm5* examPage = activeAs<TWFForm5>();
    ASSERT_NE(examPage, nullptr);
    EXPECT_EQ(user().ExamId, std::to_string(exam));
    EXPECT_EQ(examPage->WFLabel1->Caption, "有题的考试");
}

TEST_F(TWFForm2Test, AQuestionDeletedAfterTheListWasShownIsNoticedOnClick) {
    const std::int64_t exam = createExam("考试");
    const std::int64_t question = addSingleChoice(exam, "题\r\n");
    show<TWFForm2>();
    exec("delete from tm where id=?", {question});
    post({{"WF_Action", "WFGRID1"}, {"WF_ActionParam", "1_1"}});
    EXPECT_NE(activeAs<TWFForm2>(), nullptr);
    EXPECT_TRUE(alerts(kNoQuestions));
}

TEST_F(TWFForm2Test, SystemSettingsLeadsToTheLogin) {
    show<TWFForm2>();
    post({{"WF_Action", "WFLINK1"}, {"WF_ActionParam", ""}});
    EXPECT_NE(activeAs<TWFForm1>(), nullptr);
}

}  // namespace
}  // namespace exam::pages::testing
