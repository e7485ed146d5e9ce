#include "tests/web/forms/controls/BasicControlPage.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFMemo.h"

namespace web::forms::testing_pages {
namespace {

class TWFMemoTest : public BasicControlPage {
protected:
    TWFMemoTest() : memo(add<TWFMemo>("WFMemo1")), button(add<TWFButton>("WFButton1", 1)) {
        button.OnClick = [this](TWFControl&) { seenByHandler = memo.Lines.Strings(); };
    }

    // The text between the textarea tags of the last render.
    std::string shown() const {
        std::string out = body();
        std::size_t start = out.find('>', out.find("<textarea")) + 1;
        return out.substr(start, out.find("</textarea>") - start);
    }

    TWFMemo& memo;
    TWFButton& button;
    std::vector<std::string> seenByHandler;
};

TEST_F(TWFMemoTest, TextareaHoldsTheLinesEscapedWithTheirBreaks) {
    memo.Lines = {"1 < 2 & \"3\"", "&lt;b&gt;"};
    render();
    EXPECT_TRUE(contains(body(),
                         "<form onsubmit=\"return FormDefaultSubmit();\">\r\n"
                         "  <textarea name=\"WFMEMO1\" class=\"WFMEMO1CSS\" id=\"WFMEMO1\" tabindex=\"2\">"
                         "1 &lt; 2 &amp; &quot;3&quot;\r\n&amp;lt;b&amp;gt;\r\n</textarea>\r\n  <input"))
        << body();
    EXPECT_TRUE(contains(styleRules(),
                         ".WFMEMO1CSS {position:absolute;left:0;top:0;z-index:100;width:121;height:121;"));
    EXPECT_TRUE(contains(submitForm(), "<input type=\"HIDDEN\" name=\"WFMEMO1\">"));
}

TEST_F(TWFMemoTest, ReadOnlyDisabledMemoShowsItsTextAndKeepsIt) {
    memo.Lines = {"kept"};
    memo.Editable = false;
    memo.Enabled = false;
    memo.HorizScrollBar = true;
    memo.VertScrollBar = false;
    memo.BGColor = clYellow;
    memo.InvisibleBorder = true;
    memo.Required = true;
    memo.FriendlyName = "Answer";
    render();
    EXPECT_TRUE(
        contains(body(), "<textarea name=\"WFMEMO1\" READONLY disabled=\"true\" wrap=\"OFF\" class="));
    EXPECT_TRUE(contains(styleRules(),
                         "text-decoration: none;background-color: #FFFF00; overflow: visible;"
                         "border-style: none;border-color: #000000}"));
    EXPECT_FALSE(contains(submitForm(), "WFMEMO1"));
    EXPECT_TRUE(contains(pageScript(),
                         "  if(WFMEMO1WFCL != null && WFMEMO1WFCL.value.length==0) {\r\n"
                         "    ReleaseLock();\r\n    window.alert(\"Answer is a required field.\");"));
    memo.Editable = true;
    post({{"WFMEMO1", "forged"}, {"WF_Action", "WFBUTTON1"}});
    EXPECT_EQ(memo.Lines.Strings(), std::vector<std::string>{"kept"});
}

TEST_F(TWFMemoTest, PostedTextReachesTheHandlerAndIsShownBackUnchanged) {
    const std::string texts[] = {"a\r\nb", "a\r\nb\r\n", "", "x", "\r\n\r\nlast 𠮷\r\n\r\n"};
    for (const std::string& text : texts) {
        render();
        post({{"WFMEMO1", text}, {"WF_Action", "WFBUTTON1"}, {"WF_ActionParam", ""}});
        render();
        // The parser drops one line break right after the opening tag.
        bool leadingBreak = !text.empty() && text.front() == '\r';
        EXPECT_EQ(shown(), (leadingBreak ? "\r\n" : "") + text);
    }
    EXPECT_EQ(seenByHandler, (std::vector<std::string>{"", "", "last 𠮷", ""}));
}

TEST_F(TWFMemoTest, AssignedListEndsWithABreakWhileLineEditsKeepThePostedEnd) {
    render();
    post({{"WFMEMO1", "a\r\nb"}, {"WF_Action", "WFBUTTON1"}});
    memo.Lines.Add("c");
    render();
    EXPECT_EQ(shown(), "a\r\nb\r\nc");
    memo.Lines = {"d"};
    render();
    EXPECT_EQ(shown(), "d\r\n");
}

}  // namespace
}  // namespace web::forms::testing_pages
