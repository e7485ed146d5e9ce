#include <gtest/gtest.h>

#include "app/db/DateTime.h"

namespace exam::db {
namespace {

using namespace std::chrono;

TEST(DateTimeTest, ReadsTheFormsTheDatabaseWrites) {
    const local_seconds expected = local_days(2024y / 3 / 9) + 13h + 5min + 7s;
    EXPECT_EQ(parseDateTime("2024-03-09 13:05:07"), expected);
    EXPECT_EQ(parseDateTime("2024-03-09T13:05:07.250"), expected);
    EXPECT_EQ(parseDateTime("2024-03-09 13:05"), expected - 7s);
    EXPECT_EQ(parseDateTime("2024-03-09"), local_seconds(local_days(2024y / 3 / 9)));
}

TEST(DateTimeTest, RefusesWhatIsNoDateAndTime) {
    for (const char* text : {"", "2024-3-9", "2024-02-30", "2024-03-09 24:00:00", "2024-03-09 12:60",
                             "2024-03-09x12:00", "2024-03-09 12:00:00 ", "heute"}) {
        EXPECT_FALSE(parseDateTime(text).has_value()) << text;
    }
}

TEST(DateTimeTest, WritesWhatItReads) {
    const local_seconds time = local_days(1999y / 12 / 31) + 23h + 59min + 58s;
    EXPECT_EQ(formatDateTime(time), "1999-12-31 23:59:58");
    EXPECT_EQ(parseDateTime(formatDateTime(time)), time);
}

}  // namespace
}  // namespace exam::db
