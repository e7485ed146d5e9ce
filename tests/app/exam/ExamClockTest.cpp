#include <gtest/gtest.h>

#include <string>

#include "app/exam/ExamClock.h"
#include "app/exam/HandIn.h"

namespace exam {
namespace {

TEST(ExamClockTest, TimeLimitIsAWholeNumberOfMinutesUpTo600) {
    const struct {
        const char* typed;
        std::string_view refusal;
        int minutes;
    } cases[] = {
        {"0", "", 0},
        {"45", "", 45},
        {" 90\t", "", 90},
        {"600", "", 600},
        {"601", kTimeLimitTooLong, 0},
        {"100000", kTimeLimitTooLong, 0},
        {"", kTimeLimitNotANumber, 0},
        {"  ", kTimeLimitNotANumber, 0},
        {"abc", kTimeLimitNotANumber, 0},
        {"-5", kTimeLimitNotANumber, 0},
        {"1.5", kTimeLimitNotANumber, 0},
        {"4 5", kTimeLimitNotANumber, 0},
        {"1e2", kTimeLimitNotANumber, 0},
        {"99999999999999999999", kTimeLimitNotANumber, 0},
    };
    for (const auto& test : cases) {
        const TimeLimitCheck check = CheckTimeLimit(test.typed);
        EXPECT_EQ(check.refusal, test.refusal) << test.typed;
        EXPECT_EQ(check.minutes, test.minutes) << test.typed;
    }
}

TEST(ExamClockTest, RemainingTimeAsMinutesAndSeconds) {
    const struct {
        std::int64_t seconds;
        const char* shown;
    } cases[] = {{0, "00:00"}, {-3, "00:00"}, {9, "00:09"}, {60, "01:00"}, {299, "04:59"}, {36000, "600:00"}};
    for (const auto& test : cases) EXPECT_EQ(FormatRemaining(test.seconds), test.shown) << test.seconds;
}

TEST(ExamClockTest, MinuteLengthSettingTakesOneToSixtySeconds) {
    EXPECT_EQ(ParseMinuteSeconds("1"), 1);
    EXPECT_EQ(ParseMinuteSeconds("60"), 60);
    for (const char* bad : {"0", "61", "", "x", "-1", "2.5"}) EXPECT_FALSE(ParseMinuteSeconds(bad)) << bad;
}

TEST(ExamClockTest, AutomaticHandInNamesTheTypedNameOrTheAddressAndCountsOnWhenTaken) {
    const struct {
        const char* typed;
        int attempt;
        const char* stored;
    } cases[] = {
        {"张三", 0, "张三"},
        {"张三", 1, "张三-2"},
        {"", 0, "未填写姓名-10.0.0.7"},
        {"", 2, "未填写姓名-10.0.0.7-3"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(AutomaticName(test.typed, "10.0.0.7", test.attempt), test.stored) << test.attempt;
    }
}

}  // namespace
}  // namespace exam
