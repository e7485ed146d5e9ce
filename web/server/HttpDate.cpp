#include "web/server/HttpDate.h"

#include <array>
#include <cstdio>

#include "web/server/Text.h"

namespace web {
namespace {

using namespace std::chrono;

constexpr std::array<std::string_view, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> kLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

template <std::size_t N>
bool isOneOf(std::string_view word, const std::array<std::string_view, N>& names) {
    for (std::string_view name : names) {
        if (text::equalsNoCase(word, name)) return true;
    }
    return false;
}

// Reads a date text piece by piece; every reader returns false when the piece is missing.
class DateScanner {
public:
    explicit DateScanner(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ == text_.size(); }
    bool peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }

    bool literal(char c) {
        if (!peek(c)) return false;
        ++pos_;
        return true;
    }
    // One or more blanks.
    bool blanks() {
        std::size_t start = pos_;
        while (peek(' ')) ++pos_;
        return pos_ > start;
    }
    bool word(std::string_view& out) {
        std::size_t start = pos_;
        while (pos_ < text_.size() && isLetter(text_[pos_])) ++pos_;
        out = text_.substr(start, pos_ - start);
        return !out.empty();
    }
    bool number(int& out, std::size_t minDigits, std::size_t maxDigits) {
        std::size_t start = pos_;
        out = 0;
        while (pos_ < text_.size() && pos_ - start < maxDigits && isDigit(text_[pos_])) {
            out = out * 10 + (text_[pos_++] - '0');
        }
        return pos_ - start >= minDigits && !(pos_ < text_.size() && isDigit(text_[pos_]));
    }
    bool month(unsigned& out) {
        std::string_view name;
        if (!word(name)) return false;
        for (std::size_t i = 0; i < kMonths.size(); ++i) {
            if (text::equalsNoCase(name, kMonths[i])) {
                out = static_cast<unsigned>(i + 1);
                return true;
            }
        }
        return false;
    }
    bool clock(int& hour, int& minute, int& second) {
        return number(hour, 2, 2) && literal(':') && number(minute, 2, 2) && literal(':') &&
               number(second, 2, 2);
    }
    bool gmt() {
        std::string_view zone;
        return word(zone) && text::equalsNoCase(zone, "GMT");
    }

private:
    static bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view text_;
    std::size_t pos_ = 0;
};

struct DateParts {
    int year = 0;
    unsigned month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

std::optional<system_clock::time_point> toTimePoint(const DateParts& parts) {
    year_month_day date{year{parts.year}, std::chrono::month{parts.month},
                        std::chrono::day{static_cast<unsigned>(parts.day)}};
    if (!date.ok() || parts.hour > 23 || parts.minute > 59 || parts.second > 59) return std::nullopt;
    return sys_days{date} + hours{parts.hour} + minutes{parts.minute} + seconds{parts.second};
}

// "08 Dec 2026 15:27:12 GMT" after "Tue, ".
bool readRfc1123(DateScanner& in, DateParts& parts) {
    return in.number(parts.day, 1, 2) && in.blanks() && in.month(parts.month) && in.blanks() &&
           in.number(parts.year, 4, 4) && in.blanks() && in.clock(parts.hour, parts.minute, parts.second) &&
           in.blanks() && in.gmt();
}

// "08-Dec-26 15:27:12 GMT" after "Tuesday, "; two-digit years from 70 on are 19xx.
bool readRfc850(DateScanner& in, DateParts& parts) {
    if (!(in.number(parts.day, 1, 2) && in.literal('-') && in.month(parts.month) && in.literal('-') &&
          in.number(parts.year, 2, 2) && in.blanks() && in.clock(parts.hour, parts.minute, parts.second) &&
          in.blanks() && in.gmt())) {
        return false;
    }
    parts.year += parts.year < 70 ? 2000 : 1900;
    return true;
}

// "Dec  8 15:27:12 2026" after "Tue ".
bool readAsctime(DateScanner& in, DateParts& parts) {
    return in.month(parts.month) && in.blanks() && in.number(parts.day, 1, 2) && in.blanks() &&
           in.clock(parts.hour, parts.minute, parts.second) && in.blanks() && in.number(parts.year, 4, 4);
}

bool readDate(DateScanner& in, DateParts& parts) {
    std::string_view weekday;
    if (!in.word(weekday)) return false;
    if (in.literal(',')) {
        in.blanks();
        if (isOneOf(weekday, kShortDays)) return readRfc1123(in, parts);
        if (isOneOf(weekday, kLongDays)) return readRfc850(in, parts);
        return false;
    }
    return isOneOf(weekday, kShortDays) && in.blanks() && readAsctime(in, parts);
}

}  // namespace

std::string formatHttpDate(system_clock::time_point time) {
    sys_days midnight = floor<days>(time);
    year_month_day date{midnight};
    hh_mm_ss timeOfDay{floor<seconds>(time - midnight)};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %u %s %04d %02d:%02d:%02d GMT",
                  kShortDays[weekday{midnight}.c_encoding()].data(), static_cast<unsigned>(date.day()),
                  kMonths[static_cast<unsigned>(date.month()) - 1].data(), static_cast<int>(date.year()),
                  static_cast<int>(timeOfDay.hours().count()), static_cast<int>(timeOfDay.minutes().count()),
                  static_cast<int>(timeOfDay.seconds().count()));
    return buffer;
}

std::optional<system_clock::time_point> parseHttpDate(std::string_view text) {
    std::string cleaned = text::trim(text.substr(0, text.find(';')));
    DateScanner in(cleaned);
    DateParts parts;
    if (!readDate(in, parts)) return std::nullopt;
    in.blanks();
    if (!in.atEnd()) return std::nullopt;
    return toTimePoint(parts);
}

}  // namespace web
