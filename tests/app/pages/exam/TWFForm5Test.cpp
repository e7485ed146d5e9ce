#include <gtest/gtest.h>
#include <sqlite3.h>

#include <latch>
#include <set>
#include <thread>

#include "app/pages/complete/TWFForm7.h"
#include "app/pages/exam/TWFForm5.h"
#include "app/pages/home/TWFForm2.h"
#include "tests/app/pages/CandidatePagesFixture.h"

namespace exam::pages::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Fields = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kDuplicate = "已经存在相同的姓名，请修改姓名！！！";

Fields click(const std::string& control, const std::string& parameter = "") {
    return {{"WF_Action", control}, {"WF_ActionParam", parameter}};
}

Fields with(Fields values, const Fields& action) {
    values.insert(values.end(), action.begin(), action.end());
    return values;
}

// The opening tag of the navigator cell that shows `text`, as rendered.
std::string cellTagOf(const std::string& html, const std::string& text) {
    std::size_t at = html.find(text);
    if (at == std::string::npos) return "";
    std::size_t open = html.rfind("<td", at);
    if (open == std::string::npos) return "";
    return html.substr(open, html.find('>', open) + 1 - open);
}

class TWFForm5Test : public CandidatePageTest {
protected:
    TWFForm5& start(std::int64_t exam) {
        workOn(exam);
        return show<TWFForm5>();
    }
    std::vector<std::string> answers(TWFForm5& page) { return page.sheet().answers(); }
    std::string handIn(const std::string& name) {
        post(with({{"WFEDIT1", name}}, click("WFBUTTON4")));
        return activeAs<TWFForm7>() != nullptr ? "handed in" : "refused";
    }
};

TEST_F(TWFForm5Test, ShowsTheExamAndItsQuestionsInStoredOrder) {
    const std::int64_t exam = createExam("<i>期末考试</i>");
    const std::int64_t first = addSingleChoice(exam, "<b>第一题</b>\r\n", "B");
    const std::int64_t second = addQuestion(exam, "判断题", "第二题\r\n", "A.对\r\nB.错\r\n", "A", 1);
    TWFForm5& page = start(exam);

    EXPECT_EQ(page.WFLabel1->Caption, "<i>期末考试</i>");
    EXPECT_EQ(page.sheet().questionIds(),
              (std::vector<std::string>{std::to_string(first), std::to_string(second)}));
    EXPECT_EQ(answers(page), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(page.sheet().current(), 0);
    ASSERT_EQ(page.WFGrid1->RowCount(), 2);
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).Text, "1.<b>第一题</b>\r\n");
    EXPECT_EQ(page.WFGrid1->Cell(1, 0).Text, "2.第二题\r\n");
    EXPECT_TRUE(page.WFGrid1->Cell(1, 0).Clickable);
    EXPECT_EQ(page.WFLabel2->Caption, "单选题");
    EXPECT_EQ(page.WFMemo1->Lines.Strings(), std::vector<std::string>{"<b>第一题</b>"});
    EXPECT_EQ(page.WFRadioGroup1->Items, (std::vector<std::string>{"A.甲", "B.乙", "C.丙"}));
    EXPECT_EQ(page.WFRadioGroup1->ItemIndex, -1);
    EXPECT_TRUE(page.WFRadioGroup1->Visible);
    EXPECT_FALSE(page.WFRegion4->Visible);
    EXPECT_FALSE(page.WFLabel9->Visible);

    const std::string html = render();
    EXPECT_NE(html.find("<title>考试页面---栎川考试系统</title>"), std::string::npos);
    // The administrator's texts are markup in the navigator.
    EXPECT_NE(html.find("1.<b>第一题</b>"), std::string::npos);
    EXPECT_NE(html.find("交卷后将不能继续修改答题，您确认要交卷吗？"), std::string::npos);
    EXPECT_NE(html.find("您确认要返回主界面吗？当前页面的作答将全部丢失！"), std::string::npos);
}

TEST_F(TWFForm5Test, MovingKeepsTheAnswersAndColoursTheNavigator) {
    const std::int64_t exam = createExam("考试");
    for (const char* text : {"一\r\n", "二\r\n", "三\r\n"}) addSingleChoice(exam, text);
    TWFForm5& page = start(exam);

    post(with({{"WFRADIOGROUP1_INPUT", "1"}}, click("WFBUTTON1")));
    EXPECT_TRUE(alerts("已经是第一题"));
    EXPECT_EQ(page.sheet().current(), 0);
    EXPECT_EQ(answers(page), (std::vector<std::string>{"B", "", ""}));

    post(click("WFGRID1", "2_0"));
    EXPECT_EQ(page.sheet().current(), 2);
    EXPECT_EQ(page.WFMemo1->Lines.Strings(), std::vector<std::string>{"三"});
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).BGColor, page.ydcol->Color);
    EXPECT_EQ(page.WFGrid1->Cell(1, 0).BGColor, page.weidacol->Color);
    EXPECT_EQ(page.WFGrid1->Cell(2, 0).BGColor, page.dqjlcol->Color);
    // The page shows those colours on the navigator's cells, not only in its legend.
    const std::string html = render();
    EXPECT_NE(cellTagOf(html, "3.三").find("bgcolor=\"#FEA97F\""), std::string::npos)
        << cellTagOf(html, "3.三");
    EXPECT_NE(cellTagOf(html, "1.一").find("bgcolor=\"" + web::forms::htmlColor(page.ydcol->Color) + "\""),
              std::string::npos)
        << cellTagOf(html, "1.一");
    EXPECT_NE(cellTagOf(html, "2.二").find("bgcolor=\"" + web::forms::htmlColor(page.weidacol->Color) + "\""),
              std::string::npos)
        << cellTagOf(html, "2.二");

    post(with({{"WFRADIOGROUP1_INPUT", "2"}}, click("WFBUTTON2")));
    EXPECT_TRUE(alerts("已经是最后一题"));
    EXPECT_EQ(page.sheet().current(), 2);

    post(click("WFBUTTON1"));
    EXPECT_EQ(page.sheet().current(), 1);
    post(with({{"WFRADIOGROUP1_INPUT", "0"}}, click("WFBUTTON1")));
    EXPECT_EQ(page.sheet().current(), 0);
    EXPECT_EQ(page.WFRadioGroup1->ItemIndex, 1);
    EXPECT_EQ(answers(page), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).BGColor, page.dqjlcol->Color);
    EXPECT_EQ(page.WFGrid1->Cell(1, 0).BGColor, page.ydcol->Color);

    // Choosing nothing (no radio button posted) clears a saved answer.
    post(with({{"WFRADIOGROUP1_INPUT", ""}}, click("WFBUTTON2")));
    EXPECT_EQ(answers(page)[0], "");
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).BGColor, page.weidacol->Color);

    // A forged row outside the list moves nowhere.
    post(click("WFGRID1", "7_0"));
    EXPECT_EQ(page.sheet().current(), 1);
}

// The count beside the legend follows every saved answer, also when the page stays on
// the last question.
TEST_F(TWFForm5Test, ProgressBesideTheLegendCountsTheAnsweredQuestions) {
    const std::int64_t exam = createExam("考试");
    for (const char* text : {"一\r\n", "二\r\n"}) addSingleChoice(exam, text);
    TWFForm5& page = start(exam);
    EXPECT_EQ(page.WFLabel10->Caption, "已答 0 / 2 题");
    post(with({{"WFRADIOGROUP1_INPUT", "0"}}, click("WFBUTTON2")));
    EXPECT_EQ(page.WFLabel10->Caption, "已答 1 / 2 题");
    post(with({{"WFRADIOGROUP1_INPUT", "1"}}, click("WFBUTTON2")));
    EXPECT_TRUE(alerts("已经是最后一题"));
    EXPECT_EQ(page.WFLabel10->Caption, "已答 2 / 2 题");
    EXPECT_NE(render().find("已答 2 / 2 题"), std::string::npos);
    post(with({{"WFRADIOGROUP1_INPUT", ""}}, click("WFBUTTON1")));
    EXPECT_EQ(page.WFLabel10->Caption, "已答 1 / 2 题");
}

TEST_F(TWFForm5Test, QuestionBoxIsReadOnlyAndOptionsGrowWithTheirText) {
    const std::int64_t exam = createExam("考试");
    addSingleChoice(exam, "一\r\n");
    start(exam);
    const std::string html = render();
    EXPECT_NE(html.find("<textarea name=\"WFMEMO1\" READONLY"), std::string::npos);
    EXPECT_NE(html.find("GrowToContent(WFRADIOGROUP1WFCL, 155);"), std::string::npos);
    EXPECT_NE(html.find("<label for=\"WFEDIT1\""), std::string::npos);
    EXPECT_EQ(html.rfind("<html lang=\"zh-CN\">", 0), 0u);
}

TEST_F(TWFForm5Test, MultipleChoiceShowsOneBoxPerOptionAndStoresLettersInOrder) {
    const std::int64_t exam = createExam("考试", 0, 1, 1);
    addQuestion(exam, "多选题", "多选\r\n", "A.一\r\nB.二\r\nC.三\r\n", "AC", 2);
    addSingleChoice(exam, "单选\r\n");
    TWFForm5& page = start(exam);

    EXPECT_FALSE(page.WFRadioGroup1->Visible);
    EXPECT_TRUE(page.WFRegion4->Visible);
    EXPECT_TRUE(page.xA->Visible && page.xB->Visible && page.xC->Visible);
    EXPECT_FALSE(page.xD->Visible || page.xE->Visible || page.xF->Visible);
    EXPECT_EQ(page.xC->Caption, "C.三");
    // The hint is shown for set4 = 1.
    EXPECT_TRUE(page.WFLabel9->Visible);
    EXPECT_EQ(page.WFLabel9->Hint, "标准答案：AC");
    EXPECT_NE(render().find("title=\"标准答案：AC\""), std::string::npos);

    // A hidden box takes no posted value and adds no letter.
    post(with({{"XC_CHECKBOX", "on"}, {"XA_CHECKBOX", "on"}, {"XB_CHECKBOX", "off"}, {"XD_CHECKBOX", "on"}},
              click("WFBUTTON2")));
    EXPECT_EQ(answers(page)[0], "AC");
    EXPECT_TRUE(page.WFRadioGroup1->Visible);
    EXPECT_FALSE(page.WFRegion4->Visible);

    post(click("WFGRID1", "0_0"));
    EXPECT_TRUE(page.xA->Checked);
    EXPECT_FALSE(page.xB->Checked);
    EXPECT_TRUE(page.xC->Checked);
    post(with({{"XA_CHECKBOX", "off"}, {"XB_CHECKBOX", "off"}, {"XC_CHECKBOX", "off"}}, click("WFBUTTON2")));
    EXPECT_EQ(answers(page)[0], "");
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).BGColor, page.weidacol->Color);
}

TEST_F(TWFForm5Test, EmptyOptionsShowTheSixGenericOnesAndASeventhOptionAnswersNothing) {
    const std::int64_t exam = createExam("考试");
    addQuestion(exam, "单选题", "无选项\r\n", "", "A", 1);
    addQuestion(exam, "多选题", "无选项多选\r\n", "", "F", 1);
    addQuestion(exam, "单选题", "七个选项\r\n", "A.1\r\nB.2\r\nC.3\r\nD.4\r\nE.5\r\nF.6\r\nG.7\r\n", "A", 1);
    TWFForm5& page = start(exam);
    const std::vector<std::string> generic{"A.选项", "B.选项", "C.选项", "D.选项", "E.选项", "F.选项"};

    EXPECT_EQ(page.WFRadioGroup1->Items, generic);
    post(with({{"WFRADIOGROUP1_INPUT", "5"}}, click("WFBUTTON2")));
    EXPECT_EQ(answers(page)[0], "F");
    EXPECT_TRUE(page.xF->Visible);
    EXPECT_EQ(page.xF->Caption, "F.选项");
    post(with({{"XF_CHECKBOX", "on"}, {"XB_CHECKBOX", "on"}}, click("WFBUTTON2")));
    EXPECT_EQ(answers(page)[1], "BF");
    EXPECT_EQ(page.WFRadioGroup1->Items.size(), 7u);
    post(with({{"WFRADIOGROUP1_INPUT", "6"}}, click("WFBUTTON1")));
    EXPECT_EQ(answers(page)[2], "");
}

TEST_F(TWFForm5Test, AnyTypeButMultipleChoiceIsAnsweredWithRadioButtons) {
    const std::int64_t exam = createExam("考试");
    addQuestion(exam, "填空题", "其它题型\r\n", "A.x\r\nB.y\r\n", "B", 1);
    addQuestion(exam, "多选", "近似的题型\r\n", "A.x\r\nB.y\r\n", "B", 1);
    TWFForm5& page = start(exam);
    EXPECT_TRUE(page.WFRadioGroup1->Visible);
    post(click("WFBUTTON2"));
    EXPECT_TRUE(page.WFRadioGroup1->Visible);
    EXPECT_EQ(page.WFLabel2->Caption, "多选");
}

TEST_F(TWFForm5Test, ShuffledExamsShowEveryQuestionOnceInChangingOrder) {
    const std::int64_t exam = createExam("考试", 0, 0);
    std::set<std::string> ids;
    for (int i = 0; i < 6; ++i) ids.insert(std::to_string(addSingleChoice(exam, "题\r\n")));
    std::set<std::vector<std::string>> orders;
    for (int load = 0; load < 20; ++load) {
        TWFForm5& page = start(exam);
        const std::vector<std::string> order = page.sheet().questionIds();
        EXPECT_EQ(std::set<std::string>(order.begin(), order.end()), ids);
        EXPECT_EQ(page.WFGrid1->Cell(5, 0).Text, "6.题\r\n");
        orders.insert(order);
    }
    EXPECT_GT(orders.size(), 1u);
}

TEST_F(TWFForm5Test, ConfirmingTheNameLocksItAndABlankNameIsRefused) {
    const std::int64_t exam = createExam("考试");
    addSingleChoice(exam, "题\r\n");
    TWFForm5& page = start(exam);
    post(with({{"WFEDIT1", " \t "}}, click("WFLINK1")));
    EXPECT_TRUE(alerts("姓名不能为空"));
    EXPECT_TRUE(page.WFEdit1->Enabled);

    post(with({{"WFEDIT1", "<script>alert(1)</script>\"x"}}, click("WFLINK1")));
    EXPECT_FALSE(page.WFEdit1->Enabled);
    EXPECT_FALSE(page.WFLink1->Visible);
    const std::string html = render();
    EXPECT_EQ(html.find("<script>alert(1)"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;&quot;x"), std::string::npos);
}

TEST_F(TWFForm5Test, ReturnGoesBackToTheHomePage) {
    const std::int64_t exam = createExam("考试");
    addSingleChoice(exam, "题\r\n");
    start(exam);
    post(click("WFLINK2"));
    EXPECT_NE(activeAs<TWFForm2>(), nullptr);
}

// Questions worth 2, 3 and 1.5 points with correct answers B, ACD and A, answered B, AC
// and nothing: only the first scores.
TEST_F(TWFForm5Test, HandInStoresEveryAnswerAndTheScore) {
    const std::int64_t exam = createExam("考试");
    const std::int64_t q1 = addQuestion(exam, "单选题", "一\r\n", "A.a\r\nB.b\r\n", "B", 2);
    const std::int64_t q2 = addQuestion(exam, "多选题", "二\r\n", "A.a\r\nB.b\r\nC.c\r\nD.d\r\n", "ACD", 3);
    const std::int64_t q3 = addQuestion(exam, "单选题", "三\r\n", "A.a\r\nB.b\r\n", "A", 1.5);
    start(exam);
    post(with({{"WFRADIOGROUP1_INPUT", "1"}}, click("WFBUTTON2")));
    post(with({{"XA_CHECKBOX", "on"}, {"XC_CHECKBOX", "on"}}, click("WFBUTTON2")));
    EXPECT_EQ(handIn("  张三\t"), "handed in");

    const std::string e = std::to_string(exam);
    EXPECT_EQ(rows("select testid,tmid,xm,zd,考试标识 from dtxb order by rowid"),
              (Rows{{e, std::to_string(q1), "张三", "B", ""},
                    {e, std::to_string(q2), "张三", "AC", ""},
                    {e, std::to_string(q3), "张三", "", ""}}));
    EXPECT_EQ(rows("select testid,ip,姓名,成绩,考试标识,提交时间 is not null from cj"),
              (Rows{{e, "", "张三", "2", "", "1"}}));
    EXPECT_EQ(rows("select count(*) from dtxb where zd is null or 考试标识 is null"), (Rows{{"0"}}));
    EXPECT_EQ(user().CandidateName, "张三");
}

TEST_F(TWFForm5Test, FractionalPointsAddUpToTheirShortestForm) {
    const std::int64_t exam = createExam("考试");
    addQuestion(exam, "单选题", "一\r\n", "A.a\r\nB.b\r\n", "A", 1.5);
    addQuestion(exam, "单选题", "二\r\n", "A.a\r\nB.b\r\n", "A", 2);
    const std::int64_t tenths = createExam("小数");
    addQuestion(tenths, "单选题", "一\r\n", "A.a\r\nB.b\r\n", "A", 0.1);
    addQuestion(tenths, "单选题", "二\r\n", "A.a\r\nB.b\r\n", "A", 0.2);
    // A stored answer in lower case never matches.
    addQuestion(tenths, "单选题", "三\r\n", "A.a\r\nB.b\r\n", "a", 5);

    for (const std::int64_t id : {exam, tenths}) {
        start(id);
        post(with({{"WFRADIOGROUP1_INPUT", "0"}}, click("WFBUTTON2")));
        post(with({{"WFRADIOGROUP1_INPUT", "0"}}, click("WFBUTTON2")));
        EXPECT_EQ(handIn("李四"), "handed in");
    }
    EXPECT_EQ(rows("select 成绩 from cj where testid=" + std::to_string(exam)), (Rows{{"3.5"}}));
    EXPECT_EQ(rows("select 成绩=0.3 from cj where testid=" + std::to_string(tenths)), (Rows{{"1"}}));
}

TEST_F(TWFForm5Test, ABlankNameIsRefusedAndNothingIsStored) {
    const std::int64_t exam = createExam("考试");
    addSingleChoice(exam, "题\r\n");
    TWFForm5& page = start(exam);
    post(with({{"WFEDIT1", "   "}, {"WFRADIOGROUP1_INPUT", "2"}}, click("WFBUTTON4")));
    EXPECT_TRUE(alerts("姓名不能为空"));
    EXPECT_NE(activeAs<TWFForm5>(), nullptr);
    // The answer on screen was saved before the check.
    EXPECT_EQ(answers(page)[0], "C");
    EXPECT_TRUE(rows("select * from dtxb").empty());
    EXPECT_TRUE(rows("select * from cj").empty());
}

TEST_F(TWFForm5Test, ASecondPaperUnderTheSameNameAndTagIsRefused) {
    const std::int64_t exam = createExam("考试", 0, 1, 0, 0, "一班");
    addSingleChoice(exam, "题\r\n");
    exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'',?,1,?)", {exam, "Tom", "一班"});

    TWFForm5& page = start(exam);
    post(with({{"WFEDIT1", "tom"}}, click("WFLINK1")));
    EXPECT_FALSE(page.WFEdit1->Enabled);
    EXPECT_EQ(handIn("tom"), "refused");
    EXPECT_TRUE(alerts(kDuplicate));
    EXPECT_TRUE(rows("select * from dtxb").empty());
    // The name has to change, so it can be edited again.
    EXPECT_TRUE(page.WFEdit1->Enabled);
    EXPECT_TRUE(page.WFLink1->Visible);

    // Under another tag the same name hands in.
    exec("update test  set 考试标识=? where id=?", {"二班", exam});
    EXPECT_EQ(handIn("Tom"), "handed in");
    EXPECT_EQ(rows("select 姓名,考试标识 from cj order by rowid"), (Rows{{"Tom", "一班"}, {"Tom", "二班"}}));
    EXPECT_EQ(rows("select xm,考试标识 from dtxb"), (Rows{{"Tom", "二班"}}));
}

TEST_F(TWFForm5Test, AFailedHandInLeavesNoRowsBehind) {
    const std::int64_t exam = createExam("考试");
    addSingleChoice(exam, "一\r\n");
    addSingleChoice(exam, "二\r\n");
    exec("CREATE TRIGGER refuse_results BEFORE INSERT ON cj BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    start(exam);
    EXPECT_EQ(handIn("王五"), "refused");
    EXPECT_NE(render().find("disk full"), std::string::npos);
    EXPECT_TRUE(rows("select * from dtxb").empty());

    exec("DROP TRIGGER refuse_results");
    EXPECT_EQ(handIn("王五"), "handed in");
    EXPECT_EQ(rows("select count(*) from dtxb"), (Rows{{"2"}}));
    EXPECT_EQ(rows("select count(*) from cj"), (Rows{{"1"}}));
}

// Two sessions hand in the same exam under the same name at the same moment: one paper is
// stored, the other candidate is told to change the name.
TEST_F(TWFForm5Test, SimultaneousHandInsUnderOneNameStoreOnePaper) {
    const std::int64_t exam = createExam("考试");
    for (int i = 0; i < 20; ++i) addSingleChoice(exam, "题\r\n");
    std::latch ready(2);
    const auto candidate = [&](std::string& outcome) {
        web::TWFApplication session(web::TWFSessionStart{web::TWFBrowser::brSafari});
        session.SetUserData(std::make_unique<TWFUserSession>(folder_.file("db1.db")));
        web::CurrentSessionScope current(&session);
        UserSession().ExamId = std::to_string(exam);
        auto page = std::make_unique<TWFForm5>();
        TWFForm5& shown = *page;
        session.FormShown(session.AdoptForm(std::move(page)));
        shown.RenderDocument(session);
        web::FieldList fields;
        fields.add("WFEDIT1", "赵六");
        fields.add("WF_Action", "WFBUTTON4");
        fields.add("WF_ActionParam", "");
        ready.arrive_and_wait();
        session.ProcessSubmit(std::move(fields));
        if (dynamic_cast<TWFForm7*>(session.ActiveForm()) != nullptr) {
            outcome = "handed in";
        } else {
            const std::string html = dynamic_cast<TWFForm5&>(*session.ActiveForm()).RenderDocument(session);
            outcome = html.find(kDuplicate) != std::string::npos ? "duplicate" : "other";
        }
    };
    std::string first;
    std::string second;
    std::thread one([&] { candidate(first); });
    std::thread two([&] { candidate(second); });
    one.join();
    two.join();
    EXPECT_EQ(std::multiset<std::string>({first, second}),
              (std::multiset<std::string>{"duplicate", "handed in"}));
    EXPECT_EQ(rows("select count(*) from cj"), (Rows{{"1"}}));
    EXPECT_EQ(rows("select count(*) from dtxb"), (Rows{{"20"}}));
}

// Candidates page through the same questions, which the page keeps between clicks; a
// question changed meanwhile, by the editor or by another program on the file, shows at
// the next click that brings it.
TEST_F(TWFForm5Test, AQuestionChangedBetweenClicksShowsAsChanged) {
    const std::int64_t exam = createExam("考试");
    const std::int64_t first = addSingleChoice(exam, "一\r\n");
    addSingleChoice(exam, "二\r\n");
    TWFForm5& page = start(exam);
    post(click("WFBUTTON2"));
    post(click("WFBUTTON1"));
    EXPECT_EQ(page.WFMemo1->Lines.Strings(), std::vector<std::string>{"一"});

    exec("UPDATE tm SET 题目=?, 候选项=? WHERE id=?", {"改过的一\r\n", "A.对\r\nB.错\r\n", first});
    post(click("WFBUTTON2"));
    post(click("WFBUTTON1"));
    EXPECT_EQ(page.WFMemo1->Lines.Strings(), std::vector<std::string>{"改过的一"});
    EXPECT_EQ(page.WFRadioGroup1->Items, (std::vector<std::string>{"A.对", "B.错"}));

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(folder_.file("db1.db").c_str(), &other, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    sqlite3_busy_timeout(other, 5000);
    const std::string sql = "UPDATE tm SET 题目='另一个程序改的一' WHERE id=" + std::to_string(first);
    EXPECT_EQ(sqlite3_exec(other, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(other);
    sqlite3_close(other);
    post(click("WFBUTTON2"));
    post(click("WFBUTTON1"));
    EXPECT_EQ(page.WFMemo1->Lines.Strings(), std::vector<std::string>{"另一个程序改的一"});
}

}  // namespace
}  // namespace exam::pages::testing
