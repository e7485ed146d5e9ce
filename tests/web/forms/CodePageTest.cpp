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
}

}  // namespace
}  // namespace web::forms
