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

namespace web::forms {
namespace {

std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Every character of the basic plane, each between ASCII neighbours, comes out of the
// table exactly as the system's conversion writes it, references for the refused ones
// included.
TEST(CodePageTest, TheTableWritesEveryCharacterOfTheBasicPlaneAsTheConversionDoes) {
    std::string text;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        text += utf8(c);
        text += c % 7 == 0 ? "<a>" : "";
    }
    const std::string expected = EncodeGB18030ByConverter(text);
    const std::string encoded = EncodeForCharset(text, "gb2312");
    ASSERT_EQ(encoded.size(), expected.size());
    EXPECT_TRUE(encoded == expected);
}

TEST(CodePageTest, CharactersBeyondTheBasicPlaneAndMalformedBytesMatchTheConversion) {
    const std::string cases[] = {
        utf8(0x10000) + "x" + utf8(0x1F600) + utf8(0x10FFFF),
        "\xFF\xFE" + utf8(0x4E00) + "\xE4\xB8",
        "\xF0\x9F\x98",
        utf8(0xFFFD) + utf8(0xFEFF) + utf8(0xFFFF) + "\xED\xBF\xBF",
        "",
    };
    for (const std::string& text : cases) {
        EXPECT_EQ(EncodeForCharset(text, "GBK"), EncodeGB18030ByConverter(text)) << text;
    }
    // Random bytes exercise every repair the two share.
    unsigned state = 12345;
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        for (int i = 0; i < 64; ++i) {
            state = state * 1103515245 + 12345;
            bytes += static_cast<char>((state >> 16) & 0xFF);
        }
        EXPECT_EQ(EncodeForCharset(bytes, "gb2312"), EncodeGB18030ByConverter(bytes));
    }
}

}  // namespace
}  // namespace web::forms
