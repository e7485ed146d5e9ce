#include <gtest/gtest.h>

#include "web/server/HttpDate.h"

namespace web {
namespace {

using namespace std::chrono;

system_clock::time_point at(year_month_day date, hours h, minutes m, seconds s) {
    return sys_days{date} + h + m + s;
}

TEST(HttpDateTest, WritesTheDayWithoutLeadingZero) {
    EXPECT_EQ(formatHttpDate(at(2026y / December / 8, 15h, 27min, 12s)), "Tue, 8 Dec 2026 15:27:12 GMT");
    EXPECT_EQ(formatHttpDate(at(2026y / December / 25, 0h, 0min, 5s)), "Fri, 25 Dec 2026 00:00:05 GMT");
    EXPECT_EQ(formatHttpDate(at(1999y / January / 31, 23h, 59min, 59s) + 999ms),
              "Sun, 31 Jan 1999 23:59:59 GMT");
}

TEST(HttpDateTest, ReadsEveryClientForm) {
    const auto expected = at(2026y / December / 8, 15h, 27min, 12s);
    for (const char* text :
         {"Tue, 8 Dec 2026 15:27:12 GMT", "Tue, 08 Dec 2026 15:27:12 GMT", "Tuesday, 08-Dec-26 15:27:12 GMT",
          "Tue Dec  8 15:27:12 2026", "  Tue, 08 Dec 2026 15:27:12 GMT; length=1234"}) {
        EXPECT_EQ(parseHttpDate(text), expected) << text;
    }
    EXPECT_EQ(parseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"), at(1994y / November / 6, 8h, 49min, 37s));
}

TEST(HttpDateTest, RoundTrips) {
    for (auto time : {at(1970y / January / 1, 0h, 0min, 0s), at(2000y / February / 29, 12h, 0min, 1s),
                      at(2026y / December / 8, 15h, 27min, 12s), at(2099y / July / 4, 9h, 5min, 59s)}) {
        EXPECT_EQ(parseHttpDate(formatHttpDate(time)), time) << formatHttpDate(time);
    }
}

TEST(HttpDateTest, RefusesMalformedAndImpossibleDates) {
    for (const char* text :
         {"", "yesterday", "Tue, 31 Feb 2026 10:00:00 GMT", "Tue, 08 Dec 2026 24:00:00 GMT",
          "Tue, 08 Dec 2026 15:60:00 GMT", "Tue, 08 Dec 2026 15:27:12 PST", "Tue, 08 Dec 2026 15:27 GMT",
          "Tue, 08 Dec 2026 15:27:12 GMT extra", "Xyz, 08 Dec 2026 15:27:12 GMT",
          "Tue, 008 Dec 2026 15:27:12 GMT", "Tue, 08 Dez 2026 15:27:12 GMT", "Tue, 08 Dec 26 15:27:12 GMT",
          "Tuesday, 08-Dec-2026 15:27:12 GMT", "Tue Dec  8 15:27:12"}) {
        EXPECT_EQ(parseHttpDate(text), std::nullopt) << text;
    }
}

}  // namespace
}  // namespace web
