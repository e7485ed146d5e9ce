#include "app/exam/ExamClock.h"

#include <charconv>
#include <chrono>
#include <cstdlib>

namespace exam {
namespace {

std::optional<int> wholeNumber(std::string_view text, int highest) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > highest)
        return std::nullopt;
    return value;
}

}  // namespace

std::int64_t ServerNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::optional<int> ParseMinuteSeconds(std::string_view text) {
    const std::optional<int> seconds = wholeNumber(text, 60);
    if (!seconds || *seconds == 0) return std::nullopt;
    return seconds;
}

int MinuteSeconds() {
    static const int seconds = [] {
        const char* setting = std::getenv("EXAM_MINUTE_SECONDS");
        return setting != nullptr ? ParseMinuteSeconds(setting).value_or(60) : 60;
    }();
    return seconds;
}

TimeLimitCheck CheckTimeLimit(std::string_view typed) {
    const std::optional<int> minutes = wholeNumber(typed, 999'999'999);
    if (!minutes) return {std::string(kTimeLimitNotANumber), 0};
    if (*minutes > kMaxTimeLimitMinutes) return {std::string(kTimeLimitTooLong), 0};
    return {"", *minutes};
}

std::string FormatRemaining(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const auto twoDigits = [](std::int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); };
    return twoDigits(seconds / 60) + ":" + twoDigits(seconds % 60);
}

}  // namespace exam
