#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/pages/examlist/TWFForm3.h"
#include "app/pages/results/TWFForm6.h"
#include "app/pages/settings/TWFForm4.h"
#include "tests/app/pages/AdminPageTest.h"

namespace exam::pages::testing {
namespace {

// Exam 5 with a tag, two questions and a candidate's answers to both; exam 6 beside it.
class TWFForm4Test : public AdminPageTest {
protected:
    TWFForm4Test() {
        exec(
            "INSERT INTO test (id,考试名称,考试标识,set1,set2,set3,set4,set5) VALUES "
            "(5,'期中','一班',1,0,1,0,1),"
            "(6,'其它',NULL,0,0,0,0,0)");
        exec(
            "INSERT INTO tm (id,testid,题型,题目,候选项,答案,分数) VALUES "
            "(50,5,'单选题','<i>甲</i>\r\n','A.x\r\nB.y\r\n','A',2),(51,5,'多选题','乙\r\n','','AB',1.5),"
            "(60,6,'单选题','丙\r\n','','A',1)");
        exec(
            "INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES "
            "(5,50,'张三','A','一班'),(5,51,'张三','B','一班')");
        exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (5,'1.2.3.4','张三',2,'一班')");
        user().ExamId = "5";
        page_ = &show<TWFForm4>();
    }

    // The panel's fields as the browser posts them: the options box before the type group.
    Fields panel(const std::string& question, const std::string& options, int type, const std::string& points,
                 Fields answer) {
        Fields fields{{"WFMEMO1", question},
                      {"WFMEMO2", options},
                      {"WFRADIOGROUP4_INPUT", std::to_string(type)},
                      {"WFEDIT2", points}};
        for (auto& field : answer) fields.push_back(std::move(field));
        return fields;
    }

    Rows newQuestions() {
        return rows("select testid,题型,题目,候选项,答案,分数 from tm where id>60 order by id");
    }

    TWFForm4* page_;
};

TEST_F(TWFForm4Test, ShowsTheExamAndItsQuestionsNewestFirst) {
    EXPECT_EQ(page_->WFLabel1->Caption, "5");
    EXPECT_EQ(page_->WFEdit1->Text, "期中");
    EXPECT_EQ(page_->WFEdit4->Text, "一班");
    EXPECT_EQ((std::vector<int>{page_->s1->ItemIndex, page_->s2->ItemIndex, page_->s3->ItemIndex,
                                page_->s4->ItemIndex, page_->s5->ItemIndex}),
              (std::vector<int>{1, 0, 1, 1, 1}))
        << "the hint's stored 0 is its \"关闭\"";
    const std::string html = render();
    EXPECT_NE(html.find("<title>考试设置---栎川考试系统</title>"), std::string::npos);
    EXPECT_NE(html.find("题目（点击删除该题目）"), std::string::npos);
    const std::size_t newer = html.find("乙");
    const std::size_t older = html.find("&lt;i&gt;甲&lt;/i&gt;");
    ASSERT_NE(newer, std::string::npos);
    ASSERT_NE(older, std::string::npos) << "question texts are escaped";
    EXPECT_LT(newer, older);
    EXPECT_EQ(html.find("丙"), std::string::npos);
    EXPECT_NE(html.find("1_51"), std::string::npos) << "question texts link to their number";
    EXPECT_EQ(html.find("新增试题</span>"), std::string::npos) << "the add panel starts hidden";
}

TEST_F(TWFForm4Test, NameAndTagAreSavedAsTyped) {
    EXPECT_EQ(click("WFLINK1", "", {{"WFEDIT1", " 期末'考试 "}}),
              std::vector<std::string>{"考试名称修改完成！！！"});
    EXPECT_EQ(click("WFLINK9", "", {{"WFEDIT4", ""}}), std::vector<std::string>{"考试标识修改完成！！！"});
    EXPECT_EQ(rows("select 考试名称,考试标识 from test order by id"),
              (Rows{{" 期末'考试 ", ""}, {"其它", ""}}));
}

TEST_F(TWFForm4Test, EachSwitchWritesOnlyItsOwnColumn) {
    // Exam 5 stores 1,0,1,0,1: the page shows "关闭","启用","关闭" and, for the hint (1
    // shows it), "关闭" for the stored 0.
    const std::vector<std::string> shown{"1", "0", "1", "1", "1"};
    const std::vector<std::string> before{"1", "0", "1", "0", "1"};
    for (int flipped = 0; flipped < 5; ++flipped) {
        page_ = &show<TWFForm4>();
        Fields fields;
        std::vector<std::string> expected = before;
        for (int s = 0; s < 5; ++s) {
            std::string value = shown[s];
            if (s == flipped) {
                value = shown[s] == "0" ? "1" : "0";
                expected[s] = before[s] == "0" ? "1" : "0";
            }
            fields.emplace_back("S" + std::to_string(s + 1) + "_INPUT", value);
        }
        const std::string name = "S" + std::to_string(flipped + 1);
        EXPECT_TRUE(click(name, "", fields).empty()) << name;
        EXPECT_EQ(rows("select set1,set2,set3,set4,set5 from test where id=5"), Rows{expected}) << name;
        EXPECT_EQ(rows("select set1,set2,set3,set4,set5 from test where id=6"),
                  (Rows{{"0", "0", "0", "0", "0"}}));
        exec("UPDATE test SET set1=1,set2=0,set3=1,set4=0,set5=1 WHERE id=5");
    }
    page_ = &show<TWFForm4>();
    click("S2", "", {{"S2_INPUT", ""}});
    EXPECT_EQ(rows("select set2 from test where id=5"), Rows{{"0"}})
        << "a group without a choice writes nothing";
}

TEST_F(TWFForm4Test, TheHintSwitchSaysWhatItDoes) {
    // "启用" (index 0) stores 1, which shows the hint on the exam page; "关闭" stores 0.
    const struct {
        const char* stored;
        int shownIndex;
        const char* posted;
        const char* storedAfter;
    } cases[] = {{"0", 1, "0", "1"}, {"1", 0, "1", "0"}, {"2", 0, "1", "0"}};
    for (const auto& c : cases) {
        exec(std::string("UPDATE test SET set4=") + c.stored + " WHERE id=5");
        page_ = &show<TWFForm4>();
        EXPECT_EQ(page_->s4->ItemIndex, c.shownIndex) << c.stored;
        EXPECT_TRUE(click("S4", "", {{"S4_INPUT", c.posted}}).empty());
        EXPECT_EQ(rows("select set4 from test where id=5"), Rows{{c.storedAfter}}) << c.stored;
    }
}

TEST_F(TWFForm4Test, AddsASingleChoiceQuestionWithTrimmedOptionsAndDecimalPoints) {
    click("WFLINK3");
    ASSERT_TRUE(page_->WFRegion2->Visible);
    EXPECT_TRUE(click("WFBUTTON1", "",
                      panel("第一行\r\n第二行", "\r\n  \r\n 北京\r\n上海 \r\n\r\n", 0, " 1.5 ",
                            {{"WFRADIOGROUP5_INPUT", "1"}}))
                    .empty());
    EXPECT_EQ(newQuestions(),
              (Rows{{"5", "单选题", "第一行\r\n第二行\r\n", "A.北京\r\nB.上海\r\n", "B", "1.5"}}));
    EXPECT_TRUE(page_->WFMemo1->Lines.Strings().empty());
    EXPECT_TRUE(page_->WFMemo2->Lines.Strings().empty());
    EXPECT_EQ(page_->WFRadioGroup5->ItemIndex, -1);
    EXPECT_EQ(page_->WFEdit2->Text, " 1.5 ") << "the points stay for the next question";
}

TEST_F(TWFForm4Test, AddsMultipleChoiceAndTrueFalseQuestionsFromTheTickedBoxes) {
    click("WFLINK3");
    click("WFRADIOGROUP4", "", panel("", "", 1, "2", {}));
    EXPECT_FALSE(page_->WFRadioGroup5->Visible);
    EXPECT_TRUE(page_->WFRegion3->Visible);
    click("WFBUTTON1", "",
          panel("多选", "a\r\nb\r\nc\r\nd", 1, "2",
                {{"XA_CHECKBOX", "on"},
                 {"XB_CHECKBOX", "off"},
                 {"XC_CHECKBOX", "on"},
                 {"XD_CHECKBOX", "on"},
                 {"XE_CHECKBOX", "off"},
                 {"XF_CHECKBOX", "off"}}));
    EXPECT_FALSE(page_->xA->Checked) << "the boxes are cleared for the next question";
    EXPECT_EQ(page_->WFRadioGroup4->ItemIndex, 1) << "the type stays";

    // Choosing true/false fills the options, over whatever the box held when it was posted.
    click("WFRADIOGROUP4", "", panel("", "留下的", 2, "2", {}));
    EXPECT_EQ(page_->WFMemo2->Lines.Strings(), (std::vector<std::string>{"对", "错"}));
    click("WFBUTTON1", "", panel("判断", "对\r\n错\r\n", 2, "2", {{"XB_CHECKBOX", "on"}}));

    EXPECT_EQ(newQuestions(), (Rows{{"5", "多选题", "多选\r\n", "A.a\r\nB.b\r\nC.c\r\nD.d\r\n", "ACD", "2"},
                                    {"5", "判断题", "判断\r\n", "A.对\r\nB.错\r\n", "B", "2"}}));
}

TEST_F(TWFForm4Test, RefusedQuestionsWriteNothingAndKeepThePanel) {
    struct Case {
        const char* what;
        Fields fields;
        const char* message;
    };
    const std::vector<Case> cases{
        {"letters as points", panel("q", "x", 0, "1a", {{"WFRADIOGROUP5_INPUT", "0"}}),
         "题目分值必须为数字！！！"},
        {"empty points", panel("q", "x", 0, "  ", {{"WFRADIOGROUP5_INPUT", "0"}}),
         "题目分值必须为数字！！！"},
        {"comma as separator", panel("q", "x", 0, "1,5", {{"WFRADIOGROUP5_INPUT", "0"}}),
         "题目分值必须为数字！！！"},
        {"no answer", panel("q", "x", 0, "1", {}), "正确答案未选择！请检查！！！"},
        {"true/false ignores the letter", panel("q", "对\r\n错", 2, "1", {{"WFRADIOGROUP5_INPUT", "0"}}),
         "正确答案未选择！请检查！！！"},
        {"seven options",
         panel("q", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7", 0, "1", {{"WFRADIOGROUP5_INPUT", "0"}}),
         "备选项最多只能有6项（A-F）！请检查！！！"},
    };
    for (const Case& c : cases) {
        page_ = &show<TWFForm4>();
        click("WFLINK3");
        EXPECT_EQ(click("WFBUTTON1", "", c.fields), std::vector<std::string>{c.message}) << c.what;
        EXPECT_TRUE(newQuestions().empty()) << c.what;
        EXPECT_EQ(page_->WFMemo1->Lines.Strings(), std::vector<std::string>{"q"}) << c.what;
    }
}

TEST_F(TWFForm4Test, SixOptionsAndNoOptionsAreAccepted) {
    click("WFLINK3");
    click("WFBUTTON1", "",
          panel("六", "1\r\n2\r\n3\r\n4\r\n5\r\n6", 0, "-2e1", {{"WFRADIOGROUP5_INPUT", "5"}}));
    click("WFBUTTON1", "", panel("无", "", 0, "+.5", {{"WFRADIOGROUP5_INPUT", "2"}}));
    EXPECT_EQ(newQuestions(),
              (Rows{{"5", "单选题", "六\r\n", "A.1\r\nB.2\r\nC.3\r\nD.4\r\nE.5\r\nF.6\r\n", "F", "-20"},
                    {"5", "单选题", "无\r\n", "", "C", "0.5"}}));
    click("WFLINK5");
    EXPECT_FALSE(page_->WFRegion2->Visible);
    EXPECT_NE(render().find("无"), std::string::npos) << "closing the panel reloads the list";
}

TEST_F(TWFForm4Test, DeletingAQuestionRemovesItsAnswersButKeepsScores) {
    click("WFDBGRID1", "1_50");
    ASSERT_TRUE(page_->WFRegion8->Visible);
    EXPECT_NE(render().find("您确实要删除该题目及成绩信息吗？"), std::string::npos);
    click("WFLINK8");
    EXPECT_FALSE(page_->WFRegion8->Visible);
    EXPECT_EQ(rows("select count(*) from tm where id=50"), Rows{{"1"}});

    click("WFDBGRID1", "1_50");
    EXPECT_TRUE(click("WFLINK7").empty());
    EXPECT_FALSE(page_->WFRegion8->Visible);
    EXPECT_EQ(rows("select id from tm order by id"), (Rows{{"51"}, {"60"}}));
    EXPECT_EQ(rows("select tmid from dtxb"), Rows{{"51"}});
    EXPECT_EQ(rows("select 成绩 from cj"), Rows{{"2"}});
    EXPECT_EQ(render().find("&lt;i&gt;甲"), std::string::npos);
}

TEST_F(TWFForm4Test, AFailedQuestionDeletionKeepsItsAnswers) {
    exec(
        "CREATE TRIGGER keep_question BEFORE DELETE ON tm BEGIN SELECT RAISE(ABORT, 'question is locked'); "
        "END");
    click("WFDBGRID1", "1_50");
    const auto alerts = click("WFLINK7");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].find("question is locked"), std::string::npos);
    EXPECT_EQ(rows("select tmid from dtxb order by tmid"), (Rows{{"50"}, {"51"}}));
}

TEST_F(TWFForm4Test, TimeLimitIsRefusedUnlessAWholeNumberUpTo600) {
    EXPECT_EQ(page_->WFEdit5->Text, "0");
    const struct {
        const char* typed;
        const char* message;
        const char* stored;
    } cases[] = {
        {"abc", "考试时限必须为整数（分钟）！！！", "0"}, {"-1", "考试时限必须为整数（分钟）！！！", "0"},
        {"601", "考试时限不能超过600分钟！！！", "0"},    {" 45 ", "考试时限修改完成！！！", "45"},
        {"600", "考试时限修改完成！！！", "600"},         {"0", "考试时限修改完成！！！", "0"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(click("WFLINK13", "", {{"WFEDIT5", test.typed}}), std::vector<std::string>{test.message})
            << test.typed;
        EXPECT_EQ(rows("select 考试时限 from test where id=5"), (Rows{{test.stored}})) << test.typed;
    }
    EXPECT_EQ(rows("select 考试时限 from test where id=6"), (Rows{{"0"}}));
}

TEST_F(TWFForm4Test, EditFillsThePanelAndSavesTheQuestionInPlace) {
    EXPECT_TRUE(click("WFDBGRID1", "6_50").empty());
    EXPECT_TRUE(page_->WFRegion2->Visible);
    EXPECT_EQ(page_->WFLabel3->Caption, "修改试题");
    EXPECT_FALSE(page_->WFButton1->Visible);
    EXPECT_TRUE(page_->WFButton5->Visible);
    EXPECT_EQ(page_->WFRadioGroup4->ItemIndex, 0);
    EXPECT_EQ(page_->WFMemo1->Lines.Strings(), std::vector<std::string>{"<i>甲</i>"});
    EXPECT_EQ(page_->WFMemo2->Lines.Strings(), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(page_->WFRadioGroup5->ItemIndex, 0);
    EXPECT_EQ(page_->WFEdit2->Text, "2");
    EXPECT_EQ(page_->editedQuestion(), std::optional<std::int64_t>(50));

    // Refused like an added question: the answer must be one of the options.
    EXPECT_EQ(click("WFBUTTON5", "", panel("甲改", "x\ny", 0, "2", {{"WFRADIOGROUP5_INPUT", "2"}})),
              std::vector<std::string>{"答案C超出候选项范围（共2项）"});
    EXPECT_EQ(click("WFBUTTON5", "", panel("甲改", "x\ny\nz", 0, "3", {{"WFRADIOGROUP5_INPUT", "2"}})),
              std::vector<std::string>{"试题修改完成！！！"});
    EXPECT_EQ(rows("select id,testid,题型,题目,候选项,答案,分数 from tm where testid=5 order by id"),
              (Rows{{"50", "5", "单选题", "甲改\r\n", "A.x\r\nB.y\r\nC.z\r\n", "C", "3"},
                    {"51", "5", "多选题", "乙\r\n", "", "AB", "1.5"}}));
    EXPECT_EQ(rows("select zd from dtxb where tmid=50"), (Rows{{"A"}})) << "stored answers stay";
    EXPECT_FALSE(page_->WFRegion2->Visible);
    EXPECT_FALSE(page_->editedQuestion().has_value());
    // Opened by "【新增试题】" the panel adds again.
    click("WFLINK3");
    EXPECT_EQ(page_->WFLabel3->Caption, "新增试题");
    EXPECT_TRUE(page_->WFButton1->Visible);
}

TEST_F(TWFForm4Test, EditOfAQuestionOfAnotherExamChangesNothing) {
    EXPECT_EQ(click("WFDBGRID1", "6_60"), std::vector<std::string>{"该题目已不存在，可能已被删除！"});
    EXPECT_FALSE(page_->WFRegion2->Visible);
    click("WFBUTTON5", "", panel("改", "", 0, "1", {{"WFRADIOGROUP5_INPUT", "0"}}));
    EXPECT_EQ(rows("select 题目 from tm where id=60"), (Rows{{"丙\r\n"}}));
}

TEST_F(TWFForm4Test, LinksLeadToResultsAndBackToTheList) {
    click("WFLINK6");
    EXPECT_NE(activeAs<TWFForm6>(), nullptr);
    show<TWFForm4>();
    click("WFLINK2");
    EXPECT_NE(activeAs<TWFForm3>(), nullptr);
    EXPECT_EQ(user().ExamId, "5");
}

}  // namespace
}  // namespace exam::pages::testing
