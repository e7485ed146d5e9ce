#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace exam {

// The longest time limit an exam may have, in minutes.
inline constexpr int kMaxTimeLimitMinutes = 600;
// Posts that arrive this soon after the deadline still count: the page's own automatic
// hand-in leaves the browser at the deadline and needs a moment to arrive.
inline constexpr int kDeadlineGraceSeconds = 2;

// The server's clock, in seconds since the epoch: deadlines are kept in it so that they
// outlive a restart.
std::int64_t ServerNow();

// How many seconds a minute of a time limit lasts: 60, unless the environment variable
// EXAM_MINUTE_SECONDS (a whole number from 1 to 60) shortens it for tests.
int MinuteSeconds();
// Reads the setting as MinuteSeconds does; nullopt for a text that is no such number.
std::optional<int> ParseMinuteSeconds(std::string_view text);

inline constexpr std::string_view kTimeLimitNotANumber = "考试时限必须为整数（分钟）！！！";
inline constexpr std::string_view kTimeLimitTooLong = "考试时限不能超过600分钟！！！";

// A time limit as typed on the settings page: a whole number of minutes from 0 to
// kMaxTimeLimitMinutes, blanks around it allowed.
struct TimeLimitCheck {
    // Empty when the text passes.
    std::string refusal;
    int minutes = 0;
};
TimeLimitCheck CheckTimeLimit(std::string_view typed);

// Remaining seconds as the exam page shows them: "mm:ss" (minutes may exceed 59), 00:00
// when none are left.
std::string FormatRemaining(std::int64_t seconds);

}  // namespace exam
