#include <gtest/gtest.h>

#include "app/db/DatabaseError.h"
#include "app/db/Value.h"

namespace exam::db {
namespace {

TEST(FormatNumberTest, GeneralFormWithFifteenSignificantDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {3.0, "3"},
        {12.5, "12.5"},
        {0.1 + 0.2, "0.3"},
        {-2.25, "-2.25"},
        {1.0 / 3.0, "0.333333333333333"},
        {1e20, "1e+20"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatNumber(c.value), c.text) << c.value;
}

TEST(ValueTest, EmptyTextIsNotNull) {
    const Value empty("");
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(empty.kind(), Value::Kind::Text);
    EXPECT_NE(empty, Value());
}

TEST(ValueTest, TextReadAsNumbers) {
    EXPECT_EQ(Value(" 12 ").toInteger(), 12);
    EXPECT_EQ(Value("+7").toInteger(), 7);
    EXPECT_EQ(Value("-3").toInteger(), -3);
    EXPECT_DOUBLE_EQ(Value("1.5").toFloat(), 1.5);
    EXPECT_DOUBLE_EQ(Value("1e3").toFloat(), 1000.0);
}

TEST(ValueTest, NumbersRoundHalfToEvenAsIntegers) {
    EXPECT_EQ(Value(2.5).toInteger(), 2);
    EXPECT_EQ(Value(3.5).toInteger(), 4);
    EXPECT_EQ(Value(-1.6).toInteger(), -2);
}

TEST(ValueTest, TextThatIsNoNumberIsRefused) {
    const struct {
        const char* text;
        bool asInteger;
        const char* message;
    } cases[] = {
        {"abc", true, "'abc' is not a valid integer value"},
        {"1.5", true, "'1.5' is not a valid integer value"},
        {"", true, "'' is not a valid integer value"},
        {"99999999999999999999", true, "'99999999999999999999' is not a valid integer value"},
        {"abc", false, "'abc' is not a valid floating point value"},
        {"1,5", false, "'1,5' is not a valid floating point value"},
        {"inf", false, "'inf' is not a valid floating point value"},
        {"", false, "'' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        try {
            c.asInteger ? static_cast<void>(Value(c.text).toInteger())
                        : static_cast<void>(Value(c.text).toFloat());
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const DatabaseError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

}  // namespace
}  // namespace exam::db
