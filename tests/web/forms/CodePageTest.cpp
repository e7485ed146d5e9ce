#include <gtest/gtest.h>

#include "web/forms/CodePage.h"

namespace web::forms {
namespace {

// U+E795 lies in the private use area that the system's GB18030 converter refuses.
TEST(CodePageTest, ACharacterTheCodePageCannotHoldBecomesAReferenceAndTheRestIsConverted) {
    const std::string exam = EncodeForCharset("考试", "gb2312");
    ASSERT_EQ(exam, "\xBF\xBC\xCA\xD4");
    EXPECT_EQ(EncodeForCharset("考\xEE\x9E\x95试", "gb2312"), "\xBF\xBC&#59285;\xCA\xD4");
    EXPECT_EQ(EncodeForCharset("\xEE\x9E\x95\xEE\x9E\x95", "GBK"), "&#59285;&#59285;");
}

TEST(CodePageTest, MalformedInputIsReplacedBeforeConversion) {
    EXPECT_EQ(EncodeForCharset("a\xFF"
                               "b",
                               "gb2312"),
              "a\x84\x31\xA4\x37"
              "b");
    // The conversion repairs in the same pass exactly what ToValidUTF8 repairs.
    for (const std::string bad :
         {"\xED\xA0\x80x", "\xC0\x80", "\xE0\x80\xAF", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80",
          "ends in the middle \xE8\x80", "\xE8\x80 cut", "\x80\xBF lone continuations"}) {
        EXPECT_EQ(EncodeForCharset(bad, "gb2312"), EncodeForCharset(ToValidUTF8(bad), "gb2312")) << bad;
    }
}

}  // namespace
}  // namespace web::forms
