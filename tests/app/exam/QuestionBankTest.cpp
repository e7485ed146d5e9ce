#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/db/DatabaseError.h"
#include "app/exam/QuestionBank.h"
#include "tests/app/db/TestDatabase.h"

namespace exam {
namespace {

using Rows = std::vector<std::vector<std::string>>;

QuestionDraft draft(std::string type, std::string points, std::string answer, std::string options = "") {
    return QuestionDraft{std::move(type), "题目\r\n", std::move(options), std::move(points),
                         std::move(answer)};
}

TEST(QuestionBankTest, RulesInTheEditorsOrder) {
    const struct {
        const char* title;
        QuestionDraft draft;
        std::string_view refusal;
        double points;
        const char* options;
    } cases[] = {
        {"plain single choice", draft("单选题", "1", "A", "甲\r\n乙\r\n"), "", 1, "A.甲\r\nB.乙\r\n"},
        {"no type", draft("", "x", "", ""), kTypeNotChosen, 0, ""},
        {"unknown type", draft("填空题", "1", "A"), kTypeNotChosen, 0, ""},
        {"points before answer", draft("多选题", "abc", ""), kPointsNotANumber, 0, ""},
        {"empty points", draft("单选题", "", "A"), kPointsNotANumber, 0, ""},
        {"blank points", draft("单选题", " \t\r\n", "A"), kPointsNotANumber, 0, ""},
        {"points trimmed", draft("单选题", " 1.5\t\r\n", "A"), "", 1.5, ""},
        {"signed points", draft("单选题", "+2", "A"), "", 2, ""},
        {"negative points", draft("单选题", "-1", "A"), "", -1, ""},
        {"leading point", draft("单选题", ".5", "A"), "", 0.5, ""},
        {"trailing point", draft("单选题", "5.", "A"), "", 5, ""},
        {"exponent", draft("单选题", "1e3", "A"), "", 1000, ""},
        {"too large", draft("单选题", "1e400", "A"), kPointsNotANumber, 0, ""},
        {"decimal comma", draft("单选题", "1,5", "A"), kPointsNotANumber, 0, ""},
        {"two points", draft("单选题", "1.5.2", "A"), kPointsNotANumber, 0, ""},
        {"hexadecimal", draft("单选题", "0x10", "A"), kPointsNotANumber, 0, ""},
        {"infinity", draft("单选题", "inf", "A"), kPointsNotANumber, 0, ""},
        {"inner blank", draft("单选题", "1 0", "A"), kPointsNotANumber, 0, ""},
        {"no answer", draft("判断题", "1", "", "对\r\n错\r\n"), kAnswerNotChosen, 0, ""},
        {"answer before options", draft("单选题", "1", "", "1\n2\n3\n4\n5\n6\n7"), kAnswerNotChosen, 0, ""},
        {"true or false", draft("判断题", "2", "B", "对\r\n错\r\n"), "", 2, "A.对\r\nB.错\r\n"},
        {"blank lines around", draft("多选题", "1", "AB", "\r\n  甲\r\n乙 \r\n\r\n\r\n"), "", 1,
         "A.甲\r\nB.乙\r\n"},
        {"inner blank line kept", draft("单选题", "1", "A", "甲\r\n\r\n乙"), "", 1, "A.甲\r\nB.\r\nC.乙\r\n"},
        {"any line break", draft("单选题", "1", "A", "a\nb\rc"), "", 1, "A.a\r\nB.b\r\nC.c\r\n"},
        {"six options", draft("单选题", "1", "F", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n\r\n"), "", 1,
         "A.1\r\nB.2\r\nC.3\r\nD.4\r\nE.5\r\nF.6\r\n"},
        {"seven options", draft("单选题", "1", "A", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n"), kTooManyOptions,
         0, ""},
        // Every answer letter must name one of the options given; without options the six
        // generic ones stand.
        {"letter past the options", draft("单选题", "1", "C", "甲\r\n乙\r\n"), "答案C超出候选项范围（共2项）",
         0, ""},
        {"one of several letters past", draft("多选题", "1", "ABD", "甲\r\n乙\r\n丙\r\n"),
         "答案D超出候选项范围（共3项）", 0, ""},
        {"true or false answered C", draft("判断题", "1", "C", "对\r\n错\r\n"),
         "答案C超出候选项范围（共2项）", 0, ""},
        {"last option", draft("多选题", "1", "AC", "甲\r\n乙\r\n丙\r\n"), "", 1, "A.甲\r\nB.乙\r\nC.丙\r\n"},
        {"no options, any letter", draft("单选题", "1", "F", ""), "", 1, ""},
        {"seven with an empty one", draft("单选题", "1", "A", "1\r\n\r\n3\r\n4\r\n5\r\n6\r\n7"),
         kTooManyOptions, 0, ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.title);
        const QuestionCheck check = checkQuestion(test.draft);
        EXPECT_EQ(check.refusal, test.refusal);
        if (!test.refusal.empty()) continue;
        EXPECT_EQ(check.row.type, test.draft.type);
        EXPECT_EQ(check.row.text, test.draft.text);
        EXPECT_EQ(check.row.answer, test.draft.answer);
        EXPECT_EQ(check.row.points, test.points);
        EXPECT_EQ(check.row.options, test.options);
    }
}

class QuestionBankStoreTest : public db::testing::DatabaseTest {};

TEST_F(QuestionBankStoreTest, AddStoresTheCheckedRowOrNothing) {
    const std::int64_t exam = createExam("考试");
    QuestionBank bank(db_);
    QuestionDraft first = draft("多选题", " 2.5 ", "ACD", "  甲\r\n乙\r\n丙\r\n丁\r\n\r\n");
    first.text = "<b>哪些对？</b>\r\n第二行\r\n";
    EXPECT_EQ(bank.add(exam, first), "");
    EXPECT_EQ(bank.add(exam, draft("单选题", "两分", "A", "甲\r\n")), kPointsNotANumber);
    EXPECT_EQ(bank.add(exam, draft("单选题", "1", "A", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7")), kTooManyOptions);
    EXPECT_EQ(bank.add(exam, draft("判断题", "1", "A", "对\r\n错\r\n")), "");

    const std::string e = std::to_string(exam);
    EXPECT_EQ(rows("select testid,题型,题目,候选项,答案,分数,typeof(分数),wid is null from tm order by id"),
              (Rows{{e, "多选题", "<b>哪些对？</b>\r\n第二行\r\n", "A.甲\r\nB.乙\r\nC.丙\r\nD.丁\r\n", "ACD",
                     "2.5", "real", "1"},
                    {e, "判断题", "题目\r\n", "A.对\r\nB.错\r\n", "A", "1", "real", "1"}}));
}

TEST_F(QuestionBankStoreTest, UpdateRewritesTheRowInPlaceUnderTheSameRules) {
    const std::int64_t exam = createExam("考试");
    const std::int64_t other = createExam("别的考试");
    QuestionBank bank(db_);
    ASSERT_EQ(bank.add(exam, draft("单选题", "1", "A", "甲\r\n乙\r\n")), "");
    const std::int64_t edited = db_.LastInsertId();
    ASSERT_EQ(bank.add(exam, draft("单选题", "1", "B", "甲\r\n乙\r\n")), "");
    const std::int64_t after = db_.LastInsertId();
    exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,'张三','A','')", {exam, edited});

    // Refused drafts change nothing: the same rules as adding.
    EXPECT_EQ(bank.update(edited, exam, draft("单选题", "两分", "A", "甲\r\n")), kPointsNotANumber);
    EXPECT_EQ(bank.update(edited, exam, draft("单选题", "1", "C", "甲\r\n乙\r\n")),
              "答案C超出候选项范围（共2项）");
    // A question of another exam, or one deleted meanwhile, is not touched.
    EXPECT_EQ(bank.update(edited, other, draft("单选题", "1", "A", "甲\r\n")), kQuestionGone);
    EXPECT_EQ(bank.update(after + 100, exam, draft("单选题", "1", "A", "甲\r\n")), kQuestionGone);
    EXPECT_EQ(rows("select 题目,候选项,答案 from tm where id=" + std::to_string(edited)),
              (Rows{{"题目\r\n", "A.甲\r\nB.乙\r\n", "A"}}));

    QuestionDraft fixed = draft("多选题", " 3 ", "BC", "甲\r\n乙\r\n丙\r\n");
    fixed.text = "改正后的题目\r\n";
    EXPECT_EQ(bank.update(edited, exam, fixed), "");
    const std::string e = std::to_string(exam);
    EXPECT_EQ(rows("select id,testid,题型,题目,候选项,答案,分数 from tm order by id"),
              (Rows{{std::to_string(edited), e, "多选题", "改正后的题目\r\n", "A.甲\r\nB.乙\r\nC.丙\r\n",
                     "BC", "3"},
                    {std::to_string(after), e, "单选题", "题目\r\n", "A.甲\r\nB.乙\r\n", "B", "1"}}));
    // Answers stored for the question stay as they were.
    EXPECT_EQ(rows("select tmid,zd from dtxb"), (Rows{{std::to_string(edited), "A"}}));
}

TEST_F(QuestionBankStoreTest, RemoveTakesTheQuestionWithItsAnswersOrNothing) {
    const std::int64_t exam = createExam("考试");
    const std::int64_t gone = addQuestion(exam);
    const std::int64_t kept = addQuestion(exam);
    for (const std::int64_t question : {gone, kept, gone}) {
        exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,'张三','A','')", {exam, question});
    }
    exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'','张三',2,'')", {exam});
    QuestionBank bank(db_);

    exec("CREATE TRIGGER fault BEFORE DELETE ON tm BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_THROW(bank.remove(gone), db::DatabaseError);
    EXPECT_FALSE(db_.InTransaction());
    EXPECT_EQ(rows("select count(*) from dtxb"), (Rows{{"3"}}));
    exec("DROP TRIGGER fault");

    bank.remove(gone);
    EXPECT_EQ(rows("select id from tm"), (Rows{{std::to_string(kept)}}));
    EXPECT_EQ(rows("select tmid from dtxb"), (Rows{{std::to_string(kept)}}));
    // Scores already stored stay as they are.
    EXPECT_EQ(rows("select 成绩 from cj"), (Rows{{"2"}}));
}

}  // namespace
}  // namespace exam
