#include <gtest/gtest.h>

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
