#include "app/db/DateTime.h"

#include <cstdio>

namespace exam::db {
namespace {

// Reads exactly `digits` decimal digits at `pos`.
std::optional<int> number(std::string_view text, std::size_t pos, std::size_t digits) {
    if (pos + digits > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool isAt(std::string_view text, std::size_t pos, char c) {
    return pos < text.size() && text[pos] == c;
}

}  // namespace

std::string formatDateTime(std::chrono::local_seconds time) {
    using namespace std::chrono;
    const local_days day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss<seconds> clock(time - day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return buffer;
}

std::optional<std::chrono::local_seconds> parseDateTime(std::string_view text) {
    using namespace std::chrono;
    const auto y = number(text, 0, 4);
    const auto mo = number(text, 5, 2);
    const auto d = number(text, 8, 2);
    if (!y || !mo || !d || !isAt(text, 4, '-') || !isAt(text, 7, '-')) return std::nullopt;
    const year_month_day date{year(*y), month(static_cast<unsigned>(*mo)), day(static_cast<unsigned>(*d))};
    if (!date.ok()) return std::nullopt;
    int h = 0;
    int mi = 0;
    int s = 0;
    std::size_t end = 10;
    if (end < text.size()) {
        if (text[10] != ' ' && text[10] != 'T') return std::nullopt;
        const auto hours = number(text, 11, 2);
        const auto minutes = number(text, 14, 2);
        if (!hours || !minutes || !isAt(text, 13, ':')) return std::nullopt;
        h = *hours;
        mi = *minutes;
        end = 16;
        if (isAt(text, 16, ':')) {
            const auto secs = number(text, 17, 2);
            if (!secs) return std::nullopt;
            s = *secs;
            end = 19;
            if (isAt(text, 19, '.')) {
                for (end = 20; end < text.size() && text[end] >= '0' && text[end] <= '9'; ++end) {
                }
            }
        }
        if (end != text.size() || h > 23 || mi > 59 || s > 59) return std::nullopt;
    }
    return local_days(date) + hours(h) + minutes(mi) + seconds(s);
}

}  // namespace exam::db
