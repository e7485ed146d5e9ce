#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/db/Query.h"
#include "app/pages/examlist/TWFForm3.h"
#include "app/pages/results/TWFForm6.h"
#include "tests/app/pages/PageFixture.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFComboBox.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"

namespace exam::pages::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class TWFForm6Test : public PageTest {
protected:
    std::int64_t exec(const std::string& sql, std::initializer_list<db::Value> params = {}) {
        db::Query query(database());
        query.SQL().SetText(sql);
        query.Params(params);
        query.ExecSQL();
        return database().LastInsertId();
    }

    std::int64_t addExam(const std::string& name) {
        return exec("INSERT INTO test (考试名称) VALUES (?)", {name});
    }

    std::int64_t addQuestion(std::int64_t exam, const std::string& text, const std::string& options,
                             const std::string& answer) {
        return exec("INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (?,'单选题',?,?,?,10)",
                    {exam, text, options, answer});
    }

    // A handed-in paper: its cj row (tag null when `tag` is null) and one dtxb row per answer.
    void addPaper(std::int64_t exam, const std::string& name, db::Value tag, double score,
                  const std::string& time,
                  const std::vector<std::pair<std::int64_t, std::string>>& answers = {}) {
        for (const auto& [question, answer] : answers) {
            exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,?)",
                 {exam, question, name, answer, tag});
        }
        exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识,提交时间) VALUES (?,'10.0.0.7',?,?,?,?)",
             {exam, name, score, tag, time});
    }

    TWFForm6& open(std::int64_t exam) {
        user().ExamId = std::to_string(exam);
        return show<TWFForm6>();
    }

    void showMatrix() {
        post({{"WFRADIOGROUP1_INPUT", "1"}, {"WF_Action", "WFRADIOGROUP1"}, {"WF_ActionParam", ""}});
    }
    void click(int row, int column) {
        post({{"WF_Action", "WFGRID1"},
              {"WF_ActionParam", std::to_string(row) + "_" + std::to_string(column)}});
    }
    void clickLink(const std::string& link) { post({{"WF_Action", link}, {"WF_ActionParam", ""}}); }

    // The grid's texts, row by row.
    static Rows cells(web::forms::TWFGrid& grid) {
        Rows result;
        for (int row = 0; row < grid.RowCount(); ++row) {
            std::vector<std::string> line;
            for (int column = 0; column < grid.ColumnCount(); ++column) {
                line.push_back(grid.CellExists(row, column) ? grid.Cell(row, column).Text : "<none>");
            }
            result.push_back(std::move(line));
        }
        return result;
    }

    static std::string memoText(TWFForm6& page) { return page.WFMemo1->Lines.Text(); }

    // Three candidates and two questions: Li and Wang answer question 1 right, Zhao wrong.
    struct ThreePapers {
        std::int64_t exam;
        std::int64_t q1;
        std::int64_t q2;
    };
    ThreePapers threePapers() {
        const std::int64_t exam = addExam("期中考试");
        const std::int64_t q1 = addQuestion(exam, "一加一等于几？\r\n", "A.一\r\nB.二\r\n", "B");
        const std::int64_t q2 = addQuestion(exam, "天是什么颜色？\r\n", "A.蓝\r\nB.红\r\n", "A");
        addPaper(exam, "Li", "", 100, "2024-05-01 10:00:00", {{q1, "B"}, {q2, "A"}});
        addPaper(exam, "Wang", "", 90, "2024-05-01 10:01:00", {{q1, "B"}, {q2, "B"}});
        addPaper(exam, "Zhao", "", 80, "2024-05-01 10:02:00", {{q1, "A"}, {q2, "A"}});
        return {exam, q1, q2};
    }
};

TEST_F(TWFForm6Test, WithoutResultsTheLineSaysSoAndNoGridIsShownInEitherMode) {
    const std::int64_t exam = addExam("空考试");
    addQuestion(exam, "题\r\n", "A.是\r\nB.否\r\n", "A");
    TWFForm6& page = open(exam);
    EXPECT_EQ(page.WFLabel5->Caption, "尚无人参加该项考试！");
    EXPECT_FALSE(page.WFGrid1->Visible);
    std::string html = render();
    EXPECT_NE(html.find("尚无人参加该项考试！"), std::string::npos);
    EXPECT_EQ(html.find("tblWFGRID1"), std::string::npos);
    EXPECT_EQ(page.Title, "考试成绩及统计---栎川考试系统");
    showMatrix();
    EXPECT_EQ(page.WFLabel5->Caption, "尚无人参加该项考试！");
    EXPECT_FALSE(page.WFGrid1->Visible);
}

TEST_F(TWFForm6Test, StatisticsLineAndListOrderedByScore) {
    const std::int64_t exam = threePapers().exam;
    const std::int64_t other = addExam("别的考试");
    addPaper(other, "Qian", "", 5, "2024-05-02 09:00:00");
    TWFForm6& page = open(exam);
    EXPECT_EQ(
        page.WFLabel5->Caption,
        "参考人数：3   总成绩：270   平均分：90.00 [ 提示：单击学生姓名查看答题详情；点击成绩删除该成绩 ]");
    EXPECT_EQ(cells(*page.WFGrid1), (Rows{{"姓名", "考试标识", "成绩", "提交时间", "IP地址"},
                                          {"Li", "", "100", "2024-05-01 10:00:00", "10.0.0.7"},
                                          {"Wang", "", "90", "2024-05-01 10:01:00", "10.0.0.7"},
                                          {"Zhao", "", "80", "2024-05-01 10:02:00", "10.0.0.7"}}));
    // In the list only the scores are links; a name click (forged or not) does nothing.
    EXPECT_TRUE(page.WFGrid1->Cell(1, 2).Clickable);
    EXPECT_FALSE(page.WFGrid1->Cell(1, 0).Clickable);
    click(1, 0);
    EXPECT_FALSE(page.WFRegion4->Visible);
    EXPECT_TRUE(page.hang->Caption.empty());
}

TEST_F(TWFForm6Test, PapersHandedInWhenTheTimeRanOutAreMarkedBesideTheTimeInBothModes) {
    const ThreePapers papers = threePapers();
    exec("UPDATE cj SET 自动交卷=1 WHERE 姓名='Wang'");
    TWFForm6& page = open(papers.exam);
    EXPECT_EQ(page.WFGrid1->Cell(1, 3).Text, "2024-05-01 10:00:00");
    EXPECT_EQ(page.WFGrid1->Cell(2, 3).Text, "2024-05-01 10:01:00（自动交卷）");
    showMatrix();
    EXPECT_EQ(page.WFGrid1->Cell(4, 3).Text, "2024-05-01 10:01:00（自动交卷）");
    EXPECT_EQ(page.WFGrid1->Cell(5, 3).Text, "2024-05-01 10:02:00");
}

TEST_F(TWFForm6Test, AverageHasTwoDecimalsAndTotalNoTrailingZeros) {
    const std::int64_t exam = addExam("小测");
    addPaper(exam, "A", "", 1, "2024-05-01 10:00:00");
    addPaper(exam, "B", "", 2.25, "2024-05-01 10:00:00");
    TWFForm6& page = open(exam);
    EXPECT_EQ(page.WFLabel5->Caption.substr(0, page.WFLabel5->Caption.find(" [")),
              "参考人数：2   总成绩：3.25   平均分：1.63");
}

TEST_F(TWFForm6Test, TagFilterListsTheTagsAndAnEmptyItemMatchesOnlyAMissingTag) {
    const std::int64_t exam = addExam("分班考试");
    addPaper(exam, "Tagged", "一班", 70, "2024-05-01 10:00:00");
    addPaper(exam, "EmptyTag", "", 60, "2024-05-01 10:00:00");
    addPaper(exam, "NoTag", nullptr, 50, "2024-05-01 10:00:00");
    TWFForm6& page = open(exam);
    const std::vector<std::string>& items = page.WFComboBox1->Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], "全部成绩");
    EXPECT_EQ(page.WFComboBox1->ItemIndex(), 0);
    EXPECT_EQ(page.WFGrid1->RowCount(), 4);

    const auto select = [&](std::size_t index) {
        post({{"WFCOMBOBOX1", std::to_string(index)}, {"WF_Action", "WFCOMBOBOX1"}, {"WF_ActionParam", ""}});
    };
    std::vector<std::size_t> emptyItems;
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (items[i].empty()) emptyItems.push_back(i);
        if (items[i] == "一班") select(i);
    }
    EXPECT_EQ(cells(*page.WFGrid1).size(), 2u);
    EXPECT_EQ(page.WFGrid1->Cell(1, 0).Text, "Tagged");
    EXPECT_EQ(page.WFGrid1->Cell(1, 1).Text, "一班");
    // The null tag and the empty tag both give an empty item; either finds only the null.
    ASSERT_EQ(emptyItems.size(), 2u);
    for (const std::size_t index : emptyItems) {
        select(index);
        EXPECT_EQ(cells(*page.WFGrid1), (Rows{{"姓名", "考试标识", "成绩", "提交时间", "IP地址"},
                                              {"NoTag", "", "50", "2024-05-01 10:00:00", "10.0.0.7"}}));
    }
    select(0);
    EXPECT_EQ(page.WFGrid1->RowCount(), 4);
}

TEST_F(TWFForm6Test, MatrixShowsCorrectAnswersRatesAndColoursWrongAnswers) {
    const ThreePapers papers = threePapers();
    TWFForm6& page = open(papers.exam);
    const std::int64_t late = addQuestion(papers.exam, "后加的题\r\n", "A.甲\r\nB.乙\r\n", "A");
    showMatrix();
    const std::string q1 = std::to_string(papers.q1);
    const std::string q2 = std::to_string(papers.q2);
    const std::string q3 = std::to_string(late);
    EXPECT_EQ(cells(*page.WFGrid1),
              (Rows{{"姓名", "考试标识", "成绩", "提交时间", "IP地址", q1, q2, q3},
                    {"标准答案", "", "---", "---", "---", "B", "A", "A"},
                    {"正确率[%]", "", "---", "---", "---", "66.67", "66.67", "0.00"},
                    {"Li", "", "100", "2024-05-01 10:00:00", "10.0.0.7", "B", "A", ""},
                    {"Wang", "", "90", "2024-05-01 10:01:00", "10.0.0.7", "B", "B", ""},
                    {"Zhao", "", "80", "2024-05-01 10:02:00", "10.0.0.7", "A", "A", ""}}));
    web::forms::TWFGrid& grid = *page.WFGrid1;
    EXPECT_EQ(grid.Cell(0, 5).Hint, "一加一等于几？\r\nA.一\r\nB.二\r\n");
    EXPECT_TRUE(grid.Cell(3, 0).Clickable);
    EXPECT_EQ(grid.Cell(3, 0).Hint, "10.0.0.7");
    EXPECT_TRUE(grid.Cell(3, 2).Clickable);
    EXPECT_FALSE(grid.Cell(1, 2).Clickable);
    EXPECT_EQ(grid.Cell(3, 5).BGColor, web::forms::clNone);
    EXPECT_EQ(grid.Cell(5, 5).BGColor, web::forms::TColor(8366590));
    EXPECT_EQ(grid.Cell(4, 6).BGColor, web::forms::TColor(8366590));
    EXPECT_EQ(grid.Cell(3, 7).BGColor, web::forms::TColor(8366590));
    EXPECT_NE(render().find("#FEA97F"), std::string::npos);

    // Back to the list: nothing of the matrix survives.
    post({{"WFRADIOGROUP1_INPUT", "0"}, {"WF_Action", "WFRADIOGROUP1"}, {"WF_ActionParam", ""}});
    EXPECT_EQ(grid.ColumnCount(), 5);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_FALSE(grid.Cell(3, 0).Clickable);
    EXPECT_EQ(grid.Cell(3, 0).Text, "Zhao");
    EXPECT_TRUE(grid.Cell(3, 0).Hint.empty());
}

// Answers are found by exam, question and name as the database compares names: Latin
// letters regardless of case, other letters exactly; the answer stored first wins.
TEST_F(TWFForm6Test, MatrixFindsTheFirstStoredAnswerOfANameWhateverItsTag) {
    const std::int64_t exam = addExam("补考");
    const std::int64_t question = addQuestion(exam, "题\r\n", "A.是\r\nB.否\r\n", "A");
    addPaper(exam, "Wang", "", 90, "2024-05-01 10:00:00", {{question, "A"}});
    addPaper(exam, "wANG", "二班", 80, "2024-05-01 11:00:00", {{question, "B"}});
    addPaper(exam, "Émile", "", 70, "2024-05-01 12:00:00", {{question, "B"}});
    addPaper(exam, "émile", "", 60, "2024-05-01 12:00:00", {{question, "A"}});
    TWFForm6& page = open(exam);
    showMatrix();
    Rows answers;
    for (int row = 3; row < page.WFGrid1->RowCount(); ++row) {
        answers.push_back({page.WFGrid1->Cell(row, 0).Text, page.WFGrid1->Cell(row, 5).Text});
    }
    EXPECT_EQ(answers, (Rows{{"Wang", "A"}, {"wANG", "A"}, {"Émile", "B"}, {"émile", "A"}}));
    // The same as a look-up statement per candidate finds.
    for (const auto& answer : answers) {
        EXPECT_EQ(rows("select zd from dtxb where testid=" + std::to_string(exam) +
                       " and  tmid=" + std::to_string(question) + " and xm='" + answer[0] + "'")[0][0],
                  answer[1]);
    }
    EXPECT_EQ(page.WFGrid1->Cell(2, 5).Text, "75.00");
}

TEST_F(TWFForm6Test, AnswerDetailsShowWrongAnswersOrAllOfThem) {
    const ThreePapers papers = threePapers();
    TWFForm6& page = open(papers.exam);
    showMatrix();
    click(4, 0);
    EXPECT_TRUE(page.WFRegion4->Visible);
    EXPECT_EQ(page.hang->Caption, "4");
    EXPECT_TRUE(page.WFCheckBox2->Checked);
    const std::string wrongOnly = "题目编号：" + std::to_string(papers.q2) +
                                  "\r\n天是什么颜色？\r\nA.蓝\r\nB.红\r\n\r\n标准答案：A    作答选项:B\r\n"
                                  "----------------------------\r\n";
    EXPECT_EQ(memoText(page), wrongOnly);

    post({{"WFCHECKBOX2_CHECKBOX", "off"}, {"WF_Action", "WFCHECKBOX2"}, {"WF_ActionParam", ""}});
    EXPECT_EQ(memoText(page), "题目编号：" + std::to_string(papers.q1) +
                                  "\r\n一加一等于几？\r\nA.一\r\nB.二\r\n\r\n标准答案：B    作答选项:B\r\n"
                                  "----------------------------\r\n" +
                                  wrongOnly);

    // A candidate with every answer right has nothing to show when only errors are asked for.
    post({{"WFCHECKBOX2_CHECKBOX", "on"}, {"WF_Action", "WFCHECKBOX2"}, {"WF_ActionParam", ""}});
    click(3, 0);
    EXPECT_EQ(memoText(page), "");
    clickLink("WFLINK6");
    EXPECT_FALSE(page.WFRegion4->Visible);
}

TEST_F(TWFForm6Test, DeletingOneCandidateRemovesTheNameUnderEveryTagOnlyInThisExam) {
    const ThreePapers papers = threePapers();
    addPaper(papers.exam, "wang", "二班", 40, "2024-05-03 08:00:00", {{papers.q1, "A"}});
    const std::int64_t other = addExam("别的考试");
    addPaper(other, "Wang", "", 5, "2024-05-02 09:00:00", {{papers.q1, "B"}});
    TWFForm6& page = open(papers.exam);

    click(2, 2);  // Wang's score
    EXPECT_TRUE(page.WFRegion3->Visible);
    EXPECT_EQ(page.WFLabel3->Caption, "您确实要删除Wang的测试成绩吗？");
    clickLink("WFLINK5");
    EXPECT_FALSE(page.WFRegion3->Visible);
    EXPECT_EQ(rows("select count(*) from cj")[0][0], "5");

    click(2, 2);
    clickLink("WFLINK4");
    EXPECT_FALSE(page.WFRegion3->Visible);
    EXPECT_EQ(rows("select 姓名 from cj order by 成绩 desc"), (Rows{{"Li"}, {"Zhao"}, {"Wang"}}));
    EXPECT_EQ(rows("select testid from cj where 姓名='Wang'"), (Rows{{std::to_string(other)}}));
    EXPECT_EQ(
        rows("select count(*) from dtxb where testid=" + std::to_string(papers.exam) + " and xm='Wang'"),
        (Rows{{"0"}}));
    EXPECT_EQ(rows("select count(*) from dtxb where testid=" + std::to_string(papers.exam))[0][0], "4");
    EXPECT_EQ(page.WFLabel5->Caption.substr(0, page.WFLabel5->Caption.find(" [")),
              "参考人数：2   总成绩：180   平均分：90.00");
}

TEST_F(TWFForm6Test, DeletingAllResultsEmptiesOnlyThisExam) {
    const ThreePapers papers = threePapers();
    const std::int64_t other = addExam("别的考试");
    addPaper(other, "Qian", "", 5, "2024-05-02 09:00:00", {{papers.q1, "B"}});
    TWFForm6& page = open(papers.exam);
    EXPECT_EQ(page.WFLink3->Confirmation, "确定要删除该考试的全部成绩信息吗？删除后无法恢复！")
        << "the browser asks before it posts";
    clickLink("WFLINK3");
    EXPECT_EQ(page.WFLabel5->Caption, "尚无人参加该项考试！");
    EXPECT_FALSE(page.WFGrid1->Visible);
    EXPECT_EQ(rows("select testid,姓名 from cj"), (Rows{{std::to_string(other), "Qian"}}));
    EXPECT_EQ(rows("select testid,xm from dtxb"), (Rows{{std::to_string(other), "Qian"}}));
}

TEST_F(TWFForm6Test, AFailedDeleteLeavesResultsAndAnswersAsTheyWere) {
    const ThreePapers papers = threePapers();
    TWFForm6& page = open(papers.exam);
    exec(
        "CREATE TRIGGER keep_answers BEFORE DELETE ON dtxb BEGIN SELECT RAISE(ABORT, 'answers are kept'); "
        "END");

    click(1, 2);
    clickLink("WFLINK4");
    EXPECT_NE(render().find("answers are kept"), std::string::npos);
    EXPECT_EQ(rows("select count(*) from cj")[0][0], "3");
    EXPECT_EQ(rows("select count(*) from dtxb")[0][0], "6");

    clickLink("WFLINK3");
    EXPECT_EQ(rows("select count(*) from cj")[0][0], "3");
    EXPECT_EQ(rows("select count(*) from dtxb")[0][0], "6");
    EXPECT_EQ(page.WFGrid1->RowCount(), 4);
}

TEST_F(TWFForm6Test, CandidateTextsAreWrittenAsTextAndAdministratorTextsAsMarkup) {
    const std::int64_t exam = addExam("安全");
    const std::int64_t question = addQuestion(exam, "<b>粗体题</b>\r\n", "A.是\r\nB.否\r\n", "A");
    const std::string hostile = "<img src=x onerror=alert(1)>";
    addPaper(exam, hostile, "<i>班</i>", 10, "2024-05-01 10:00:00",
             {{question, "<script>x()</script>&amp;"}});
    TWFForm6& page = open(exam);
    showMatrix();
    const std::string html = render();
    EXPECT_EQ(html.find("<img src=x"), std::string::npos);
    EXPECT_NE(html.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_EQ(html.find("<script>x()"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;x()&lt;/script&gt;&amp;amp;"), std::string::npos);
    EXPECT_NE(html.find("<i>班</i>"), std::string::npos);
    EXPECT_NE(page.WFGrid1->Cell(0, 5).Hint.find("<b>粗体题</b>"), std::string::npos);

    click(3, 2);
    EXPECT_EQ(page.WFLabel2->Caption, hostile);
    const std::string confirm = render();
    EXPECT_EQ(confirm.find("<img src=x"), std::string::npos);
    EXPECT_NE(confirm.find("您确实要删除&lt;img src=x onerror=alert(1)&gt;的测试成绩吗？"),
              std::string::npos);
    clickLink("WFLINK4");
    EXPECT_EQ(rows("select count(*) from cj")[0][0], "0");
}

TEST_F(TWFForm6Test, ReturnGoesToTheExamList) {
    open(addExam("任意"));
    clickLink("WFLINK2");
    EXPECT_NE(activeAs<TWFForm3>(), nullptr);
}

}  // namespace
}  // namespace exam::pages::testing
