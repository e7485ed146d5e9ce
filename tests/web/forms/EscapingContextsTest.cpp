#include "tests/web/forms/controls/BasicControlPage.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFComboBox.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/server/ErrorPage.h"
#include "web/server/HtmlEscape.h"

// Hostile texts through every place a page writes them, each with the exact markup the
// browser receives.
namespace web::forms::testing_pages {
namespace {

struct Hostile {
    const char* input;
    const char* text;               // element content (line breaks converted)
    const char* value;              // a field's value or content
    const char* attribute;          // a value the program composed, in a double-quoted attribute
    const char* script;             // a script string literal
    const char* scriptInAttribute;  // a script string literal inside an event-handler attribute
    const char* errorPage;          // the message of an error page
};

// Outside GBK (the page is sent as GB18030, which holds it), and the two separators that
// end a script line.
constexpr const char* kWide =
    "\xF0\x9F\x98\x80 a\xE2\x80\xA8"
    "b\xE2\x80\xA9";

const Hostile kHostile[] = {
    {"say \"hi\" & 'bye'", "say &quot;hi&quot; & &#39;bye&#39;", "say &quot;hi&quot; &amp; &#39;bye&#39;",
     "say &quot;hi&quot; & 'bye'", "say \\\"hi\\\" & \\'bye\\'", "say \\&quot;hi\\&quot; & \\'bye\\'",
     "say &#34;hi&#34; &amp; &#39;bye&#39;"},
    {"A&amp;B", "A&amp;amp;B", "A&amp;amp;B", "A&amp;amp;B", "A&amp;B", "A&amp;amp;B", "A&amp;amp;B"},
    {"&#39;&lt;x&gt;", "&amp;#39;&amp;lt;x&amp;gt;", "&amp;#39;&amp;lt;x&amp;gt;",
     "&amp;#39;&amp;lt;x&amp;gt;", "&#39;&lt;x&gt;", "&amp;#39;&amp;lt;x&amp;gt;",
     "&amp;#39;&amp;lt;x&amp;gt;"},
    {"</script><b>x</b>", "&lt;/script&gt;&lt;b&gt;x&lt;/b&gt;", "&lt;/script&gt;&lt;b&gt;x&lt;/b&gt;",
     "</script><b>x</b>", "\\<\\/script\\>\\<b\\>x\\<\\/b\\>", "\\<\\/script\\>\\<b\\>x\\<\\/b\\>",
     "&lt;/script&gt;&lt;b&gt;x&lt;/b&gt;"},
    {"one\r\ntwo", "one<br>two", "one\r\ntwo", "one\r\ntwo", "one\\ntwo", "one\\ntwo", "one\r\ntwo"},
    {"C:\\new\\", "C:\\new\\", "C:\\new\\", "C:\\new\\", "C:\\\\new\\\\", "C:\\\\new\\\\", "C:&#92;new&#92;"},
    {kWide, kWide, kWide, kWide, "\xF0\x9F\x98\x80 a\\u2028b\\u2029", "\xF0\x9F\x98\x80 a\\u2028b\\u2029",
     "\xF0\x9F\x98\x80 a&#8232;b&#8233;"},
};

class EscapingContextsTest : public BasicControlPage {
protected:
    // Renders the page with the controls `setUp` adds; the controls of earlier cases stay
    // on the page but invisible, so they are not written. Returns the body and page script.
    template <typename SetUp>
    std::string renderWith(SetUp setUp) {
        for (const auto& control : page.Controls()) control->Visible = false;
        setUp();
        render();
        return body() + "\n--script--\n" + pageScript();
    }
};

TEST_F(EscapingContextsTest, LabelCaptionIsText) {
    for (const Hostile& c : kHostile) {
        std::string html = renderWith([&] { add<TWFLabel>("WFLabel1").Caption = c.input; });
        EXPECT_TRUE(contains(html, std::string("id=\"WFLABEL1\">") + c.text + "</span>")) << html;
    }
}

TEST_F(EscapingContextsTest, EditValueAndMemoContentAreFieldValues) {
    for (const Hostile& c : kHostile) {
        std::string html = renderWith([&] {
            add<TWFEdit>("WFEdit1").Text = c.input;
            add<TWFMemo>("WFMemo1", 1).Lines = {c.input};
        });
        EXPECT_TRUE(contains(html, std::string(" value=\"") + c.value + "\"")) << c.input << "\n" << html;
        EXPECT_TRUE(contains(html, std::string("tabindex=\"3\">") + c.value + "\r\n</textarea>")) << html;
    }
}

TEST_F(EscapingContextsTest, ComboItemsShowTheirTextAndPostTheirValue) {
    for (const Hostile& c : kHostile) {
        std::string html = renderWith([&] {
            auto& combo = add<TWFComboBox>("WFComboBox1");
            combo.ItemsHaveValues = true;
            combo.SetItems({std::string("shown=") + c.input});
            combo.SetItemIndex(0);
            auto& list = add<TWFComboBox>("WFComboBox2", 1);
            list.SetItems({c.input});
        });
        EXPECT_TRUE(contains(html, std::string("<option SELECTED value=\"") + c.value + "\">shown</option>"))
            << html;
        EXPECT_TRUE(contains(html, std::string("value=\"0\">") + c.text + "</option>")) << html;
    }
}

TEST_F(EscapingContextsTest, GridCellsAndTheirClickScript) {
    for (const Hostile& c : kHostile) {
        std::string html = renderWith([&] {
            auto& grid = add<TWFGrid>("WFGrid1");
            grid.SetColumnCount(2);
            grid.Confirmation = c.input;
            grid.Cell(0, 0).Text = c.input;
            grid.Cell(0, 0).RawText = false;
            grid.Cell(0, 0).Hint = c.input;
            TWFGridCell& link = grid.Cell(0, 1);
            link.Text = c.input;
            link.RawText = false;
            link.Clickable = true;
        });
        EXPECT_TRUE(contains(html, std::string("title=\"") + c.value +
                                       "\" NOWRAP><font style=\"font-size:13px;\">" + c.text +
                                       "</font></td>"))
            << html;
        EXPECT_TRUE(
            contains(html, std::string("onclick=\"return SubmitClickConfirm('WFGRID1','0_1', true, '") +
                               c.scriptInAttribute + "');\">" + c.text + "</a>"))
            << html;
    }
}

TEST_F(EscapingContextsTest, ValidationAlertIsAScriptString) {
    for (const Hostile& c : kHostile) {
        std::string html = renderWith([&] {
            auto& edit = add<TWFEdit>("WFEdit1");
            edit.Required = true;
            edit.FriendlyName = c.input;
        });
        EXPECT_TRUE(contains(html, std::string("window.alert(\"") + c.script + " is a required field.\");"))
            << html;
    }
}

TEST_F(EscapingContextsTest, ProgramAttributeKeepsWhatCannotEndItsQuotes) {
    for (const Hostile& c : kHostile) {
        TWFHTMLTag tag("span");
        tag.setAttribute("data-x", c.input);
        EXPECT_EQ(tag.render(), std::string("<span data-x=\"") + c.attribute + "\"></span>") << c.input;
        EXPECT_EQ(web::ScriptStringEscape(c.input), c.script) << c.input;
    }
}

TEST_F(EscapingContextsTest, ErrorPageMessage) {
    for (const Hostile& c : kHostile) {
        std::string plain = web::BuildErrorPage(nullptr, c.input, false, false);
        EXPECT_TRUE(contains(plain, c.errorPage)) << c.input << "\n" << plain;
        // Written through a single-quoted script string: its line breaks go, nothing else
        // changes and nothing ends the string or the script early.
        std::string wrapped = web::BuildErrorPage(nullptr, c.input, false, true);
        std::string expected = c.errorPage;
        std::erase(expected, '\r');
        std::erase(expected, '\n');
        EXPECT_TRUE(contains(wrapped, expected)) << c.input << "\n" << wrapped;
        EXPECT_EQ(wrapped.find("</script>"), wrapped.rfind("</script>")) << c.input;
    }
}

TEST_F(EscapingContextsTest, HotKeyLetterIsMarkedInTheCaptionNotInAnEntity) {
    auto& button = add<TWFButton>("WFButton1");
    button.Caption = "\"quote\" & <q>";
    button.HotKey = "q";
    render();
    EXPECT_TRUE(contains(body(), "tabindex=\"2\">&quot;<u>q</u>uote&quot; & &lt;q&gt;</button>")) << body();
}

TEST_F(EscapingContextsTest, HintApostropheKeepsItsSemicolonBeforeADigit) {
    const std::pair<const char*, const char*> cases[] = {
        {"it's", "title=\"it&#39s\""},
        {"'5 & <b>", "title=\"&#39;5 &amp; &lt;b&gt;\""},
        {"a';b", "title=\"a&#39;;b\""},
    };
    for (auto [hint, expected] : cases) {
        for (const auto& control : page.Controls()) control->Visible = false;
        auto& label = add<TWFLabel>("WFLabel1");
        label.ShowHint = true;
        label.Hint = hint;
        render();
        EXPECT_TRUE(contains(body(), expected)) << hint << "\n" << body();
    }
}

}  // namespace
}  // namespace web::forms::testing_pages
