#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/exam/Results.h"
#include "tests/app/db/TestDatabase.h"

namespace exam {
namespace {

TEST(ResultsTest, FixedTwoRoundsHalvesAwayFromZeroOnTheDecimalReading) {
    const struct {
        double value;
        const char* shown;
    } cases[] = {
        {0, "0.00"},
        {1.5, "1.50"},
        {1.625, "1.63"},
        // Just below the half in binary, a half in decimal.
        {2.675, "2.68"},
        {1.005, "1.01"},
        {1.004999, "1.00"},
        {66.666666666666671, "66.67"},
        {33.333333333333336, "33.33"},
        {99.995, "100.00"},
        {9.999, "10.00"},
        {0.995, "1.00"},
        {123456789.125, "123456789.13"},
        {-1.235, "-1.24"},
        {-0.005, "-0.01"},
        {-99.995, "-100.00"},
        // Rounded to zero, the sign goes.
        {-0.004, "0.00"},
        {-0.0, "0.00"},
    };
    for (const auto& test : cases) EXPECT_EQ(fixedTwo(test.value), test.shown) << test.value;
}

TEST(ResultsTest, SummaryCountsAddsUpAndAverages) {
    const struct {
        std::vector<double> scores;
        const char* text;
    } cases[] = {
        {{80, 90, 100}, "参考人数：3   总成绩：270   平均分：90.00"},
        {{1, 2}, "参考人数：2   总成绩：3   平均分：1.50"},
        {{1, 1, 0}, "参考人数：3   总成绩：2   平均分：0.67"},
        {{0.1, 0.2}, "参考人数：2   总成绩：0.3   平均分：0.15"},
        {{12.5}, "参考人数：1   总成绩：12.5   平均分：12.50"},
        {{0, 0}, "参考人数：2   总成绩：0   平均分：0.00"},
        // Never shown by the page (it says nobody took the exam), but no division by zero.
        {{}, "参考人数：0   总成绩：0   平均分：0.00"},
    };
    for (const auto& test : cases) {
        const ResultSummary summary = summarize(test.scores);
        EXPECT_EQ(summary.count, test.scores.size());
        EXPECT_EQ(summaryText(summary), test.text);
    }
}

TEST(ResultsTest, CorrectRateIsTheShareOfExactlyEqualAnswers) {
    const struct {
        const char* correct;
        std::vector<std::string> answers;
        const char* rate;
    } cases[] = {
        {"A", {"A", "A", "B"}, "66.67"},
        {"A", {"A", "B", "C"}, "33.33"},
        {"A", {"A"}, "100.00"},
        {"A", {"B", ""}, "0.00"},
        {"ACD", {"ACD", "AC", "ACDE"}, "33.33"},
        {"A", {"a", "A "}, "0.00"},
        // A question without a key counts every unanswered paper as right.
        {"", {"", "A", "", ""}, "75.00"},
        {"A", {}, "0.00"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(correctRate(test.correct, test.answers), test.rate) << test.correct;
}

class StoredAnswersTest : public db::testing::DatabaseTest {
protected:
    void answer(std::int64_t exam, std::int64_t question, const std::string& name, const std::string& zd) {
        exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,'')", {exam, question, name, zd});
    }
};

TEST_F(StoredAnswersTest, FindsTheFirstStoredAnswerPerQuestionAndName) {
    const std::int64_t exam = createExam("考试");
    const std::int64_t other = createExam("别的考试");
    answer(exam, 1, "Tom", "A");
    answer(exam, 2, "Tom", "BC");
    answer(exam, 1, "张三", "");
    // A second paper under another tag: the first answer still counts.
    answer(exam, 1, "TOM", "D");
    answer(other, 3, "Tom", "C");
    const StoredAnswers stored = StoredAnswers::read(db_, exam);

    const struct {
        std::int64_t question;
        const char* name;
        const char* found;
    } cases[] = {
        {1, "Tom", "A"}, {1, "tom", "A"}, {1, "TOM", "A"}, {2, "tOm", "BC"}, {1, "张三", ""},
        {2, "张三", ""}, {1, "Tim", ""},  {3, "Tom", ""},  {4, "Tom", ""},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(stored.find(test.question, test.name), test.found) << test.question << " " << test.name;
    }
}

// The look-up folds exactly what the database's name comparison folds: Latin letters
// only, not other scripts, not blanks.
TEST_F(StoredAnswersTest, NamesCompareAsTheDatabaseComparesThem) {
    const struct {
        const char* stored;
        const char* asked;
    } pairs[] = {
        {"Tom", "tom"},    {"Ärger", "ärger"}, {"ÄRGER", "Ärger"}, {"Ωmega", "ωmega"}, {"张三", "张三"},
        {"张三", "张三 "}, {"A1_b", "a1_B"},   {"İ", "i"},         {"Tom", "Tom\t"},
    };
    for (const auto& pair : pairs) {
        StoredAnswers stored;
        stored.add(1, pair.stored, "A");
        const bool databaseEqual =
            scalar("select ? = ? COLLATE NOCASE", {std::string(pair.stored), std::string(pair.asked)}) == "1";
        EXPECT_EQ(stored.find(1, pair.asked) == "A", databaseEqual) << pair.stored << " / " << pair.asked;
    }
}

}  // namespace
}  // namespace exam
