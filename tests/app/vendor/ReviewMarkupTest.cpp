#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/vendor/ReviewMarkup.h"

namespace exam::vendor {
namespace {

struct MarkupCase {
    const char* name;
    std::string posted;
    std::string shown;
};

// Markup a browser would run or that would reach past the fragment arrives as text.
TEST(ReviewMarkupTest, HostileMarkupArrivesAsText) {
    const std::vector<MarkupCase> cases = {
        {"script element", "<script>window.pwned=1</script>", "&lt;script&gt;window.pwned=1&lt;/script&gt;"},
        {"script in upper case", "<SCRIPT SRC=//x.example/a.js></SCRIPT>",
         "&lt;SCRIPT SRC=//x.example/a.js&gt;&lt;/SCRIPT&gt;"},
        {"event handler on an allowed element", "<div class=\"nr\" onclick=\"alert(1)\">x</div>",
         "&lt;div class=&quot;nr&quot; onclick=&quot;alert(1)&quot;&gt;x&lt;/div&gt;"},
        {"event handler on an image", "<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)&gt;"},
        {"javascript link", "<a href=\"javascript:alert(1)\">x</a>",
         "&lt;a href=&quot;javascript:alert(1)&quot;&gt;x&lt;/a&gt;"},
        {"link to another site", "<a href=\"http://evil.example/\">x</a>",
         "&lt;a href=&quot;http://evil.example/&quot;&gt;x&lt;/a&gt;"},
        {"svg with handler", "<svg onload=alert(1)><circle r=1></svg>",
         "&lt;svg onload=alert(1)&gt;&lt;circle r=1&gt;&lt;/svg&gt;"},
        {"iframe", "<iframe src=\"/\"></iframe>", "&lt;iframe src=&quot;/&quot;&gt;&lt;/iframe&gt;"},
        {"style element", "<style>body{display:none}</style>",
         "&lt;style&gt;body{display:none}&lt;/style&gt;"},
        {"style attribute", "<div class=\"tg\" style=\"position:fixed\">x</div>",
         "&lt;div class=&quot;tg&quot; style=&quot;position:fixed&quot;&gt;x&lt;/div&gt;"},
        {"unknown class", "<div class=\"nr evil\">x</div>",
         "&lt;div class=&quot;nr evil&quot;&gt;x&lt;/div&gt;"},
        {"list class on a block", "<div class=\"tilok\">x</div>",
         "&lt;div class=&quot;tilok&quot;&gt;x&lt;/div&gt;"},
        {"duplicate attribute", "<a href=\"#1\" href=\"#2\">x</a>",
         "&lt;a href=&quot;#1&quot; href=&quot;#2&quot;&gt;x&lt;/a&gt;"},
        {"anchor name with a quote", "<a name='1\"onmouseover=alert(1)'>x</a>",
         "&lt;a name=&#39;1&quot;onmouseover=alert(1)&#39;&gt;x&lt;/a&gt;"},
        {"tag cut off at the end", "<div class=\"nr\"", "&lt;div class=&quot;nr&quot;"},
        {"unclosed quote swallows the rest", "<a href=\"#1>x</a>", "&lt;a href=&quot;#1&gt;x&lt;/a&gt;"},
        {"slash instead of a blank", "<a/href=#1>x</a>", "&lt;a/href=#1&gt;x&lt;/a&gt;"},
        {"comment", "<!--<script>alert(1)</script>-->", "&lt;!--&lt;script&gt;alert(1)&lt;/script&gt;--&gt;"},
        {"closing tag of the page", "</div></div></body><script>alert(1)</script>",
         "&lt;/div&gt;&lt;/div&gt;&lt;/body&gt;&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"escaped markup stays escaped", "&lt;script&gt;alert(1)&lt;/script&gt;",
         "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"entity without semicolon", "&lt script", "&amp;lt script"},
        {"unknown named entity", "&unknown;", "&amp;unknown;"},
        {"numeric reference", "&#60;script&#x3e;", "&#60;script&#x3e;"},
        {"overlong numeric reference", "&#0000000060;", "&amp;#0000000060;"},
        {"entity in an attribute", "<a href=\"&#106;avascript:alert(1)\">x</a>",
         "&lt;a href=&quot;&#106;avascript:alert(1)&quot;&gt;x&lt;/a&gt;"},
        {"self-closing block", "<div class=\"nr\"/>x", "&lt;div class=&quot;nr&quot;/&gt;x"},
        {"stray closing tag", "x</li>y", "x&lt;/li&gt;y"},
        {"nested link", "<a href=\"#1\"><a href=\"#2\">x</a></a>",
         "<a href=\"#1\">&lt;a href=&quot;#2&quot;&gt;x</a>&lt;/a&gt;"},
        {"processing instruction", "<?xml version=\"1.0\"?>", "&lt;?xml version=&quot;1.0&quot;?&gt;"},
    };
    for (const MarkupCase& check : cases) {
        EXPECT_EQ(SanitizeReviewMarkup(check.posted), check.shown) << check.name;
    }
}

TEST(ReviewMarkupTest, AllowedMarkupIsWrittenInOneFormAndClosed) {
    const std::vector<MarkupCase> cases = {
        {"list item", "<LI CLASS='tilerr'><a HREF=#7>[错]x</A></li>",
         "<li class=\"tilerr\"><a href=\"#7\">[错]x</a></li>"},
        {"anchor", "<a name=\"12\" id=\"12\"></a>", "<a name=\"12\" id=\"12\"></a>"},
        {"link back to the list", "<a href=\"#top\">返回题目列表</a>", "<a href=\"#top\">返回题目列表</a>"},
        {"line break tags", "a<br>b<br/>c<BR />d", "a<br>b<br>c<br>d"},
        {"unclosed elements are closed", "<div class=\"nr\"><div class=\"tg\">x",
         "<div class=\"nr\"><div class=\"tg\">x</div></div>"},
        {"closing an outer element closes the inner", "<div class=\"nr\"><a href=\"#1\">x</div>y",
         "<div class=\"nr\"><a href=\"#1\">x</a></div>y"},
        {"text line breaks", "<div class=\"hxx\">\r\nA.上海\r\nB.北京\r\n\r\n</div>",
         "<div class=\"hxx\">A.上海<br>B.北京</div>"},
        {"text characters", "1 > 0 & \"x\" 'y'", "1 &gt; 0 &amp; &quot;x&quot; &#39;y&#39;"},
        {"character references", "&amp; &nbsp; &#128512; &#x4e2d;", "&amp; &nbsp; &#128512; &#x4e2d;"},
        {"lone angle bracket", "a < b", "a &lt; b"},
    };
    for (const MarkupCase& check : cases) {
        EXPECT_EQ(SanitizeReviewMarkup(check.posted), check.shown) << check.name;
    }
}

// The two fields exactly as the submission-complete page writes them for one right and
// one wrong answer: nothing of them is lost or shown as text.
TEST(ReviewMarkupTest, ReviewFormMarkupPassesWhole) {
    const std::string list =
        "<li class=\"tilok\"><a href=\"#3\">[对]我国的首都是哪座城市？\r\n</a></li>\r\n"
        "<li class=\"tilerr\"><a href=\"#4\">[错]一年有几个月？\r\n</a></li>\r\n";
    EXPECT_EQ(SanitizeReviewMarkup(list),
              "<li class=\"tilok\"><a href=\"#3\">[对]我国的首都是哪座城市？</a></li> "
              "<li class=\"tilerr\"><a href=\"#4\">[错]一年有几个月？</a></li> ");

    const std::string details =
        "<div class=\"nr\"> <div class=\"bh\"><a name=\"4\" id=\"4\"></a>题目编号：4 </div>\r\n"
        "<div class=\"tx\">题型:单选题</div><div class=\"fz\">分值:2 分</div> <div class=\"fh\">【<a "
        "href=\"#top\">返回题目列表</a>】</div>\r\n"
        "<div class=\"tg\">一年有几个月？\r\n</div>\r\n"
        "<div class=\"hxx\">\r\n"
        "A.十个\r\nB.十一个\r\nC.十二个\r\nD.十三个\r\n\r\n"
        "</div><div class=\"zderr\">标准答案：C 您的作答：B</div></div>\r\n";
    EXPECT_EQ(SanitizeReviewMarkup(details),
              "<div class=\"nr\"> <div class=\"bh\"><a name=\"4\" id=\"4\"></a>题目编号：4 </div> "
              "<div class=\"tx\">题型:单选题</div><div class=\"fz\">分值:2 分</div> <div class=\"fh\">【<a "
              "href=\"#top\">返回题目列表</a>】</div> "
              "<div class=\"tg\">一年有几个月？</div> "
              "<div class=\"hxx\">A.十个<br>B.十一个<br>C.十二个<br>D.十三个"
              "</div><div class=\"zderr\">标准答案：C 您的作答：B</div></div> ");
}

TEST(ReviewMarkupTest, DeepNestingStopsAtTheLimit) {
    std::string posted;
    for (int i = 0; i < 40; ++i) posted += "<div class=\"nr\">";
    std::string shown = SanitizeReviewMarkup(posted);
    std::size_t opened = 0;
    for (std::size_t at = shown.find("<div"); at != std::string::npos; at = shown.find("<div", at + 1))
        ++opened;
    std::size_t closed = 0;
    for (std::size_t at = shown.find("</div>"); at != std::string::npos; at = shown.find("</div>", at + 1))
        ++closed;
    EXPECT_EQ(opened, 16u);
    EXPECT_EQ(closed, 16u);
}

TEST(ReviewMarkupTest, PostedGbkBytesBecomeUtf8) {
    // "答题" in GBK, then a byte that starts no character.
    EXPECT_EQ(PostedGbkText("\xB4\xF0\xCC\xE2"), "答题");
    EXPECT_EQ(PostedGbkText("a\xFF"
                            "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(PostedGbkText("<li class=\"tilok\">"), "<li class=\"tilok\">");
}

}  // namespace
}  // namespace exam::vendor
