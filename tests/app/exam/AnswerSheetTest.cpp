#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/exam/AnswerSheet.h"
#include "app/exam/ExamClock.h"

namespace exam {
namespace {

using Strings = std::vector<std::string>;

AnswerSheet threeQuestions() {
    return AnswerSheet("7", "期中", {"31", "12", "55"});
}

TEST(AnswerSheetTest, StartsOnTheFirstQuestionWithNothingAnswered) {
    const AnswerSheet sheet = threeQuestions();
    EXPECT_EQ(sheet.current(), 0);
    EXPECT_EQ(sheet.currentQuestionId(), "31");
    EXPECT_EQ(sheet.answers(), (Strings{"", "", ""}));
    EXPECT_EQ(sheet.answeredCount(), 0);
    EXPECT_FALSE(AnswerSheet("7", "", {}).onQuestion());
}

TEST(AnswerSheetTest, QuestionTypeDecidesOneLetterOrLetters) {
    EXPECT_EQ(AnswerKindOf("多选题"), AnswerKind::Letters);
    for (const char* type : {"单选题", "判断题", "", "多选题 ", "多选"}) {
        EXPECT_EQ(AnswerKindOf(type), AnswerKind::OneLetter) << type;
    }
}

TEST(AnswerSheetTest, OneLetterAnswerFromTheChosenOption) {
    struct Case {
        int option;
        const char* answer;
    };
    const Case cases[] = {{0, "A"}, {1, "B"}, {5, "F"}, {-1, ""}, {6, ""}, {11, ""}};
    for (const Case& test : cases) {
        AnswerSheet sheet = threeQuestions();
        sheet.recordChoice(3);
        sheet.recordChoice(test.option);
        EXPECT_EQ(sheet.currentAnswer(), test.answer) << "option " << test.option;
    }
}

TEST(AnswerSheetTest, MultipleChoiceAnswerIsTheCheckedLettersInOrder) {
    struct Case {
        std::vector<bool> checked;
        const char* answer;
    };
    const Case cases[] = {
        {{true, false, true, true, false, false}, "ACD"},
        {{false, false, false, false, false, false}, ""},
        {{true, true, true, true, true, true}, "ABCDEF"},
        {{false, true}, "B"},
        // A seventh box cannot be answered.
        {{false, false, false, false, false, true, true}, "F"},
    };
    for (const Case& test : cases) {
        AnswerSheet sheet = threeQuestions();
        sheet.recordChecked(test.checked);
        EXPECT_EQ(sheet.currentAnswer(), test.answer) << test.answer;
    }
}

TEST(AnswerSheetTest, NavigationStopsAtBothEndsAndIgnoresRowsOutside) {
    AnswerSheet sheet = threeQuestions();
    EXPECT_EQ(sheet.previous(), AnswerSheet::Move::AlreadyFirst);
    EXPECT_EQ(sheet.current(), 0);
    EXPECT_EQ(sheet.next(), AnswerSheet::Move::Moved);
    EXPECT_EQ(sheet.next(), AnswerSheet::Move::Moved);
    EXPECT_EQ(sheet.current(), 2);
    EXPECT_EQ(sheet.next(), AnswerSheet::Move::AlreadyLast);
    EXPECT_EQ(sheet.current(), 2);
    for (int outside : {-1, 3, 100}) {
        sheet.moveTo(outside);
        EXPECT_EQ(sheet.current(), 2) << outside;
    }
    sheet.moveTo(1);
    EXPECT_EQ(sheet.currentQuestionId(), "12");
    EXPECT_EQ(sheet.previous(), AnswerSheet::Move::Moved);
    EXPECT_EQ(sheet.current(), 0);
}

TEST(AnswerSheetTest, AnswersStayWithTheirQuestionsAndMakeThePaper) {
    AnswerSheet sheet = threeQuestions();
    sheet.recordChoice(1);
    sheet.moveTo(2);
    sheet.recordChecked({true, false, true});
    sheet.previous();
    EXPECT_EQ(sheet.answers(), (Strings{"B", "", "AC"}));
    EXPECT_EQ(sheet.answeredCount(), 2);
    const std::vector<PaperAnswer> paper = sheet.paperAnswers();
    ASSERT_EQ(paper.size(), 3u);
    EXPECT_EQ(paper[0].questionId, "31");
    EXPECT_EQ(paper[0].answer, "B");
    EXPECT_EQ(paper[1].answer, "");
    EXPECT_EQ(paper[2].questionId, "55");
    EXPECT_EQ(paper[2].answer, "AC");
}

TEST(AnswerSheetTest, SerialisedSheetComesBackWhole) {
    AnswerSheet plain = threeQuestions();
    AnswerSheet worked = threeQuestions();
    worked.recordChoice(0);
    worked.moveTo(2);
    worked.recordChecked({false, true, false, true, false, true});
    worked.setName("  O'Brien 100%\r\n王\n");
    worked.setNameConfirmed(true);
    worked.setHandingIn(true);
    AnswerSheet oddTag("12", "tag with %0A and\nbreak", {"5"});
    for (const AnswerSheet& sheet : {plain, worked, oddTag}) {
        const std::optional<AnswerSheet> back = AnswerSheet::restore(sheet.serialise());
        ASSERT_TRUE(back.has_value()) << sheet.serialise();
        EXPECT_EQ(*back, sheet) << sheet.serialise();
    }
    EXPECT_EQ(AnswerSheet::restore(worked.serialise())->name(), "  O'Brien 100%\r\n王\n");
}

TEST(AnswerSheetTest, DamagedOrInconsistentTextIsRefused) {
    const std::string good =
        "answersheet 1\nexam 7\ntag \ncurrent 1\nname 张三\nconfirmed 0\nhandingin 0\nq 31 A\nq 12 ";
    ASSERT_TRUE(AnswerSheet::restore(good).has_value());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string bad[] = {
        "",
        "answersheet 2" + good.substr(13),
        good.substr(0, good.find("\nq 31")) + "\nq 31 A\nq",
        replaced("current 1", "current 2"),
        replaced("current 1", "current -1"),
        replaced("current 1", "current x"),
        replaced("exam 7", "exam 7 or 1=1"),
        replaced("exam 7", "exam "),
        replaced("q 31 A", "q 31 G"),
        replaced("q 31 A", "q 31 BA"),
        replaced("q 31 A", "q 31 AA"),
        replaced("q 31 A", "q x1 A"),
        replaced("confirmed 0", "confirmed 2"),
        replaced("name 张三", "name 100%"),
        replaced("tag ", "teg "),
        good.substr(0, good.find("\nq 31")),
    };
    for (const std::string& text : bad) EXPECT_FALSE(AnswerSheet::restore(text).has_value()) << text;
}

TEST(AnswerSheetTest, DeadlineDecidesTimeUpClosedAndSecondsLeft) {
    AnswerSheet sheet = threeQuestions();
    sheet.setDeadline(1000);
    struct Case {
        std::int64_t now;
        bool timeUp;
        bool closed;
        std::int64_t left;
    };
    // Up at the deadline itself; answers still count within the grace, not one second past.
    const Case cases[] = {
        {0, false, false, 1000},
        {999, false, false, 1},
        {1000, true, false, 0},
        {1000 + kDeadlineGraceSeconds, true, false, 0},
        {1001 + kDeadlineGraceSeconds, true, true, 0},
        {5000, true, true, 0},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(sheet.timeUp(test.now), test.timeUp) << test.now;
        EXPECT_EQ(sheet.closed(test.now), test.closed) << test.now;
        EXPECT_EQ(sheet.secondsLeft(test.now), test.left) << test.now;
    }
    const AnswerSheet unlimited = threeQuestions();
    EXPECT_FALSE(unlimited.timeUp(1LL << 40));
    EXPECT_FALSE(unlimited.closed(1LL << 40));
}

TEST(AnswerSheetTest, DeadlineSurvivesTheTextFormAndOldTextsStillRead) {
    AnswerSheet sheet = threeQuestions();
    sheet.recordChoice(1);
    sheet.setDeadline(1765400000);
    const std::optional<AnswerSheet> back = AnswerSheet::restore(sheet.serialise());
    ASSERT_TRUE(back.has_value()) << sheet.serialise();
    EXPECT_EQ(back->deadline(), std::optional<std::int64_t>(1765400000));
    EXPECT_EQ(*back, sheet);

    // A sheet without a limit is written as before, so texts saved by the previous
    // version read back unchanged.
    const AnswerSheet unlimited = threeQuestions();
    EXPECT_EQ(unlimited.serialise().find("deadline"), std::string::npos);
    const std::string old =
        "answersheet 1\nexam 7\ntag \ncurrent 0\nname \nconfirmed 0\nhandingin 0\nq 31 B\nq 12 ";
    const std::optional<AnswerSheet> oldSheet = AnswerSheet::restore(old);
    ASSERT_TRUE(oldSheet.has_value());
    EXPECT_FALSE(oldSheet->deadline().has_value());
    EXPECT_EQ(oldSheet->answers(), (Strings{"B", ""}));

    for (const char* bad :
         {"deadline ", "deadline x", "deadline -5", "deadline 1.5", "deadline 99999999999999999999"}) {
        const std::string text = "answersheet 1\nexam 7\ntag \ncurrent 0\nname \nconfirmed 0\nhandingin 0\n" +
                                 std::string(bad) + "\nq 31 B";
        EXPECT_FALSE(AnswerSheet::restore(text).has_value()) << bad;
    }
}

TEST(AnswerSheetTest, UnansweredNumbersCountFromOneInDisplayOrder) {
    AnswerSheet sheet = threeQuestions();
    EXPECT_EQ(sheet.unansweredNumbers(), (std::vector<int>{1, 2, 3}));
    sheet.moveTo(1);
    sheet.recordChoice(0);
    EXPECT_EQ(sheet.unansweredNumbers(), (std::vector<int>{1, 3}));
    sheet.recordChoice(-1);
    EXPECT_EQ(sheet.unansweredNumbers(), (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace exam
