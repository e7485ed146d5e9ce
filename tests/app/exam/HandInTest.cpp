#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/db/DatabaseError.h"
#include "app/exam/HandIn.h"
#include "tests/app/db/TestDatabase.h"

namespace exam {
namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Question {
    const char* correctAnswer;
    double points;
};

struct Earlier {
    const char* name;
    const char* tag;
};

struct HandInCase {
    const char* title;
    const char* examTag;
    std::vector<Earlier> earlier;
    std::vector<Question> questions;
    // One per question, in the same order.
    std::vector<const char*> answers;
    const char* name;
    HandInOutcome outcome;
    double score;
};

class HandInTest : public db::testing::DatabaseTest {
protected:
    // An exam with the given tag and questions; the paper answers them in order.
    Paper paperFor(const HandInCase& test) {
        const std::int64_t exam = createExam("考试");
        exec("update test set 考试标识=? where id=?", {test.examTag, exam});
        Paper paper{std::to_string(exam), test.name, "10.0.0.7", {}};
        for (std::size_t i = 0; i < test.questions.size(); ++i) {
            const Question& question = test.questions[i];
            const std::int64_t id = addQuestion(exam, "题\r\n", question.correctAnswer, question.points);
            paper.answers.push_back({std::to_string(id), test.answers.at(i)});
        }
        return paper;
    }
};

class HandInOutcomes : public HandInTest, public ::testing::WithParamInterface<HandInCase> {};

const HandInCase kOutcomes[] = {
    {"AllRight", "", {}, {{"B", 2}, {"ACD", 3}}, {"B", "ACD"}, "张三", HandInOutcome::Stored, 5},
    {"EachQuestionAllOrNothing",
     "",
     {},
     {{"B", 2}, {"ACD", 3}, {"A", 1.5}},
     {"B", "AC", ""},
     "张三",
     HandInOutcome::Stored,
     2},
    {"MoreLettersScoreNothing", "", {}, {{"AC", 1}}, {"ACD"}, "张三", HandInOutcome::Stored, 0},
    // The page writes letters in the order A to F, so a key in another order never matches.
    {"KeyInAnotherOrderNeverMatches", "", {}, {{"CAD", 1}}, {"ACD"}, "张三", HandInOutcome::Stored, 0},
    {"LowerCaseKeyNeverMatches", "", {}, {{"a", 5}, {"A", 1}}, {"A", "A"}, "张三", HandInOutcome::Stored, 1},
    {"EmptyKeyMatchesNoAnswer", "", {}, {{"", 4}, {"B", 1}}, {"", ""}, "张三", HandInOutcome::Stored, 4},
    {"NothingAnswered", "", {}, {{"A", 1}, {"B", 1}}, {"", ""}, "张三", HandInOutcome::Stored, 0},
    {"NoQuestions", "", {}, {}, {}, "张三", HandInOutcome::Stored, 0},
    {"FractionalPointsAddUp", "", {}, {{"A", 1.5}, {"A", 2}}, {"A", "A"}, "李四", HandInOutcome::Stored, 3.5},
    {"SameNameSameTag", "一班", {{"Tom", "一班"}}, {{"A", 1}}, {"A"}, "Tom", HandInOutcome::DuplicateName, 0},
    {"NamesAndTagsIgnoreLatinCase",
     "Class1",
     {{"Tom", "class1"}},
     {{"A", 1}},
     {"A"},
     "tOM",
     HandInOutcome::DuplicateName,
     0},
    {"SameNameAnotherTag", "二班", {{"Tom", "一班"}}, {{"A", 1}}, {"A"}, "Tom", HandInOutcome::Stored, 1},
    {"SameNameWithoutTagTwice",
     "",
     {{"王五", ""}},
     {{"A", 1}},
     {"A"},
     "王五",
     HandInOutcome::DuplicateName,
     0},
    {"AnotherName", "一班", {{"Tom", "一班"}}, {{"A", 1}}, {"B"}, "Tim", HandInOutcome::Stored, 0},
};

TEST_P(HandInOutcomes, StoresOrRefusesThePaper) {
    const HandInCase& test = GetParam();
    const Paper paper = paperFor(test);
    for (const Earlier& earlier : test.earlier) {
        exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'',?,9,?)",
             {paper.examId, earlier.name, earlier.tag});
    }

    const HandInResult result = HandIn(db_).submit(paper);

    EXPECT_EQ(result.outcome, test.outcome);
    EXPECT_EQ(result.score, test.score);
    EXPECT_FALSE(db_.InTransaction());
    const std::string tag = test.examTag;
    if (test.outcome == HandInOutcome::DuplicateName) {
        EXPECT_TRUE(rows("select * from dtxb").empty());
        EXPECT_EQ(rows("select count(*) from cj"), (Rows{{std::to_string(test.earlier.size())}}));
        return;
    }
    Rows answers;
    for (const PaperAnswer& answer : paper.answers) {
        answers.push_back({paper.examId, answer.questionId, test.name, answer.answer, tag});
    }
    EXPECT_EQ(rows("select testid,tmid,xm,zd,考试标识 from dtxb order by rowid"), answers);
    EXPECT_EQ(
        rows("select testid,ip,姓名,成绩,考试标识,提交时间 is not null from cj order by rowid desc limit 1"),
        (Rows{{paper.examId, "10.0.0.7", test.name, db::formatNumber(test.score), tag, "1"}}));
    // Neither column holds a null: an unanswered question and a missing tag are empty texts.
    EXPECT_EQ(rows("select count(*) from dtxb where zd is null or 考试标识 is null"), (Rows{{"0"}}));
}

std::string caseName(const ::testing::TestParamInfo<HandInCase>& test) {
    return test.param.title;
}

INSTANTIATE_TEST_SUITE_P(Papers, HandInOutcomes, ::testing::ValuesIn(kOutcomes), caseName);

// 0.1 + 0.2 is 0.30000000000000004 in binary; the stored score is the 0.3 a reader expects.
TEST_F(HandInTest, ScoreIsStoredInItsShortestDecimalForm) {
    const HandInCase test{"", "", {}, {{"A", 0.1}, {"A", 0.2}}, {"A", "A"}, "李四", HandInOutcome::Stored, 0};
    const HandInResult result = HandIn(db_).submit(paperFor(test));
    EXPECT_EQ(result.score, 0.3);
    EXPECT_EQ(rows("select 成绩=0.3, 成绩 from cj"), (Rows{{"1", "0.3"}}));
}

TEST_F(HandInTest, StoredScoreTable) {
    const struct {
        double sum;
        double stored;
    } cases[] = {{0.1 + 0.2, 0.3}, {0, 0}, {12.5, 12.5}, {1.0 / 3.0, 0.333333333333333}, {1e20, 1e20}};
    for (const auto& test : cases) EXPECT_EQ(storedScore(test.sum), test.stored) << test.sum;
}

// A failing statement anywhere in the hand-in leaves neither answer nor result rows, and
// the same paper can be handed in once the fault is gone.
TEST_F(HandInTest, AFailingInsertLeavesNoRows) {
    const struct {
        const char* title;
        const char* trigger;
    } faults[] = {
        {"result row",
         "CREATE TRIGGER fault BEFORE INSERT ON cj BEGIN SELECT RAISE(ABORT, 'disk full'); END"},
        {"second answer row",
         "CREATE TRIGGER fault BEFORE INSERT ON dtxb WHEN (select count(*) from dtxb) = 1 "
         "BEGIN SELECT RAISE(ABORT, 'disk full'); END"},
    };
    const HandInCase test{"", "", {}, {{"A", 1}, {"B", 1}}, {"A", "A"}, "王五", HandInOutcome::Stored, 1};
    const Paper paper = paperFor(test);
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.title);
        exec(fault.trigger);
        try {
            HandIn(db_).submit(paper);
            ADD_FAILURE() << "the hand-in passed the fault";
        } catch (const db::DatabaseError& error) {
            EXPECT_STREQ(error.what(), "disk full");
        }
        EXPECT_FALSE(db_.InTransaction());
        EXPECT_TRUE(rows("select * from dtxb").empty());
        EXPECT_TRUE(rows("select * from cj").empty());
        exec("DROP TRIGGER fault");
    }
    EXPECT_EQ(HandIn(db_).submit(paper).outcome, HandInOutcome::Stored);
    EXPECT_EQ(rows("select count(*) from dtxb"), (Rows{{"2"}}));
    EXPECT_EQ(HandIn(db_).submit(paper).outcome, HandInOutcome::DuplicateName);
}

// A long paper's answer rows go in several statements; every row is stored, in order.
TEST_F(HandInTest, ALongPaperStoresEveryAnswerInOrder) {
    HandInCase test{"", "", {}, {}, {}, "钱七", HandInOutcome::Stored, 0};
    for (int i = 0; i < 120; ++i) {
        test.questions.push_back({"A", 1});
        test.answers.push_back(i % 2 == 0 ? "A" : "B");
    }
    const Paper paper = paperFor(test);

    EXPECT_EQ(HandIn(db_).submit(paper).score, 60);
    Rows expected;
    for (const PaperAnswer& answer : paper.answers) expected.push_back({answer.questionId, answer.answer});
    EXPECT_EQ(rows("select tmid,zd from dtxb order by rowid"), expected);
}

// The exam's key is read once per paper; a question the paper names in another way (a
// leading zero) or one of another exam is still scored as the database finds it by id.
TEST_F(HandInTest, QuestionsOutsideTheExamsKeyAreScoredByTheirId) {
    const HandInCase test{"", "", {}, {{"A", 2}, {"B", 3}}, {"A", "B"}, "赵六", HandInOutcome::Stored, 0};
    Paper paper = paperFor(test);
    paper.answers[0].questionId = "0" + paper.answers[0].questionId;
    const std::int64_t otherExam = createExam("另一场");
    const std::int64_t foreign = addQuestion(otherExam, "题\r\n", "C", 4);
    paper.answers.push_back({std::to_string(foreign), "C"});

    EXPECT_EQ(HandIn(db_).submit(paper).score, 9);
    EXPECT_EQ(rows("select 成绩 from cj"), (Rows{{"9"}}));
}

}  // namespace
}  // namespace exam
