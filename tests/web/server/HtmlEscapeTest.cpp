#include <gtest/gtest.h>

#include <cctype>

#include "web/server/HtmlEscape.h"

namespace web {
namespace {

TEST(HtmlTextTest, ReplacesMarkupCharactersAndKeepsALoneAmpersand) {
    EXPECT_EQ(HtmlText("a<b & \"c\" 'd'>"), "a&lt;b & &quot;c&quot; &#39;d&#39;&gt;");
    EXPECT_EQ(HtmlText("&nbsp;"), "&amp;nbsp;");
}

TEST(HtmlTextTest, LineBreaksAndSpacesOnlyWhenAsked) {
    EXPECT_EQ(HtmlText("one\r\ntwo\nthree", true, false), "one<br>two<br>three");
    EXPECT_EQ(HtmlText("one\r\ntwo", false, false), "one\r\ntwo");
    EXPECT_EQ(HtmlText("a b  c", false, true), "a&nbsp;b&nbsp;&nbsp;c");
    EXPECT_EQ(HtmlText("a b", false, false), "a b");
    EXPECT_EQ(HtmlText("考试 名称\n", true, true), "考试&nbsp;名称<br>");
}

// A value is scanned eight bytes at a time: a quote or an ampersand is found wherever it
// stands in or across a block, and the bytes around it are kept.
TEST(AttributeValueTest, FindsEveryQuoteAndAmpersandWhereverItStands) {
    const std::string plain = "background-color:#FFFFFF;x";
    for (std::size_t at = 0; at < plain.size(); ++at) {
        std::string quoted = plain;
        quoted.insert(at, "\"");
        std::string expected = plain;
        expected.insert(at, "&quot;");
        EXPECT_EQ(AttributeValue(quoted), expected) << at;
        std::string ampersand = plain;
        ampersand.insert(at, "&");
        expected = plain;
        // Only an ampersand that would start a reference is replaced.
        const bool startsReference = std::isalnum(static_cast<unsigned char>(plain[at])) || plain[at] == '#';
        expected.insert(at, startsReference ? "&amp;" : "&");
        EXPECT_EQ(AttributeValue(ampersand), expected) << at;
    }
    EXPECT_EQ(AttributeValue("return SubmitClickConfirm('WFBUTTON1','', true, '\"ok\"');"),
              "return SubmitClickConfirm('WFBUTTON1','', true, '&quot;ok&quot;');");
    EXPECT_EQ(AttributeValue("a & b &c <>'"), "a & b &amp;c <>'");
    EXPECT_EQ(AttributeValue("考试名称考试名称考试名称\""), "考试名称考试名称考试名称&quot;");
}

TEST(ScriptStringEscapeTest, EscapesForEitherQuote) {
    const std::pair<const char*, const char*> cases[] = {
        {"It's", "It\\'s"},
        {"line one\r\nline two", "line one\\nline two"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\temp", "C:\\\\temp"},
        {"<b>", "\\<b\\>"},
        {"请输入密码", "请输入密码"},
        {"", ""},
    };
    for (auto [text, expected] : cases) EXPECT_EQ(ScriptStringEscape(text), expected) << text;
}

TEST(ScriptStringEscapeTest, NoScriptEndOrCommentSurvives) {
    EXPECT_EQ(ScriptStringEscape("</script><script>x()</script>"),
              "\\<\\/script\\>\\<script\\>x()\\<\\/script\\>");
    EXPECT_EQ(ScriptStringEscape("<!--"), "\\<\\!--");
}

TEST(ScriptStringEscapeTest, KeepsTextThatIsAlreadyEscaped) {
    EXPECT_EQ(ScriptStringEscape("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(ScriptStringEscape("\\\\it\\'s\\n"), "\\\\it\\'s\\n");
}

TEST(ScriptStringEscapeTest, EscapesLeadingBackslashTextThatCouldEndTheLiteral) {
    const std::pair<const char*, const char*> cases[] = {
        {"\\\\\");alert(1);//", "\\\\\\\\\\\");alert(1);//"},
        {"\\\\it's", "\\\\\\\\it\\'s"},
        {"\\\\a\nb", "\\\\\\\\a\\nb"},
        {"\\\\\\<\\/script>", "\\\\\\\\\\\\\\<\\\\/script\\>"},
        {"\\\\x\\", "\\\\\\\\x\\\\"},
    };
    for (auto [text, expected] : cases) EXPECT_EQ(ScriptStringEscape(text), expected) << text;
}

TEST(ScriptCodeEscapeTest, EscapesEveryTextEvenWhenItLooksEscaped) {
    // Escaped code placed into a further literal must keep every backslash it has.
    EXPECT_EQ(ScriptCodeEscape("\\\\server\\share"), "\\\\\\\\server\\\\share");
    EXPECT_EQ(ScriptCodeEscape(ScriptCodeEscape("\\it's")), "\\\\\\\\it\\\\\\'s");
    EXPECT_EQ(ScriptCodeEscape("a</script>"), ScriptStringEscape("a</script>"));
}

}  // namespace
}  // namespace web
