#include <gtest/gtest.h>

#include "tests/support/RuntimeFixture.h"
#include "web/forms/CodePage.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/server/Errors.h"
#include "web/server/TWFApplication.h"

namespace web::forms {
namespace {

// A small page: a label, an edit and a button on the page, and an edit in a region.
class SamplePage : public TWFAppForm {
public:
    SamplePage() : TWFAppForm("WFForm9", "TWFForm9", 1000, 679) {
        Title = "考试 <页面> & \"1\"";
        label = &Add(std::make_unique<TWFLabel>("WFLabel1"));
        label->Caption = "<b>bold</b> & more";
        label->TabOrder = 0;
        edit = &Add(std::make_unique<TWFEdit>("WFEdit1"));
        edit->Text = "start";
        edit->TabOrder = 1;
        button = &Add(std::make_unique<TWFButton>("WFButton1"));
        button->Caption = "交卷";
        button->TabOrder = 2;
        button->Confirmation = "Sure? It's final";
        button->OnClick = [this](TWFControl&) {
            ++clicks;
            textSeenByHandler = edit->Text;
        };
        region = &Add(std::make_unique<TWFRegion>("WFRegion1"));
        hiddenEdit = &region->Add(std::make_unique<TWFEdit>("WFEdit2"));
        hiddenEdit->Text = "kept";
    }

    TWFLabel* label;
    TWFEdit* edit;
    TWFButton* button;
    TWFRegion* region;
    TWFEdit* hiddenEdit;
    int clicks = 0;
    std::string textSeenByHandler;
};

class TWFAppFormTest : public ::testing::Test {
protected:
    TWFAppFormTest() : session_(start()) { session_.SetStartAddress("/EXEC/0/" + session_.SessionID()); }

    static web::TWFSessionStart start() {
        web::TWFSessionStart s;
        s.browserKind = web::TWFBrowser::brSafari;
        return s;
    }

    web::FieldList post(std::initializer_list<std::pair<std::string, std::string>> pairs) {
        web::FieldList fields;
        for (const auto& [name, value] : pairs) fields.add(name, value);
        return fields;
    }

    testing_support::RuntimeFixture runtime_;
    web::TWFApplication session_;
    SamplePage page_;
};

TEST_F(TWFAppFormTest, DocumentCarriesHeadScriptsControlsAndSubmitForm) {
    std::string html = page_.RenderDocument(session_);
    EXPECT_EQ(html.rfind("<html><head><meta http-equiv=\"cache-control\" content=\"no-cache\">", 0), 0u);
    EXPECT_NE(html.find("<title>考试 &lt;页面&gt; & &quot;1&quot;</title>"), std::string::npos)
        << html.substr(0, 400);
    EXPECT_NE(html.find("&lt;b&gt;bold&lt;/b&gt; & more"), std::string::npos);
    EXPECT_NE(html.find("<style type=\"text/css\">\r\n"), std::string::npos);
    EXPECT_NE(html.find(".WFLABEL1CSS {position:absolute;left:0;top:0;z-index:100;"), std::string::npos);
    // A region's layout object exists before its children register with it.
    EXPECT_LT(html.find("WFREGION1WFCL = CreateWFCLObject(WFCLForm"),
              html.find("CreateWFCLObject(WFREGION1WFCL"));
    EXPECT_NE(html.find("src=\"/js/WFPreScript.js_4.1.0\""), std::string::npos);
    EXPECT_NE(html.find("src=\"/js/WFCommon.js_4.1.0\""), std::string::npos);
    EXPECT_NE(html.find("src=\"/js/WFGecko.js_4.1.0\""), std::string::npos);
    EXPECT_NE(html.find("InitRects(1000, 679);"), std::string::npos);
    EXPECT_NE(html.find("WFBUTTON1WFCL = CreateWFCLObject(WFCLForm, \"WFBUTTON1\", \"WFBUTTON1WFCL\");"),
              std::string::npos);
    EXPECT_NE(html.find("return SubmitClickConfirm('WFBUTTON1','', true, 'Sure? It\\'s final');"),
              std::string::npos);
    EXPECT_NE(html.find("WFCLForm"), std::string::npos);
    // The edit and the button share one form wrapper; the label stands outside it.
    std::size_t wrapper = html.find(
        "<form onsubmit=\"return FormDefaultSubmit();\">\r\n  <input type=\"TEXT\" name=\"WFEDIT1\"");
    ASSERT_NE(wrapper, std::string::npos);
    EXPECT_LT(html.find("WFLABEL1"), wrapper);
    EXPECT_LT(wrapper, html.find("value=\"交卷\" name=\"WFBUTTON1\" type=\"button\""));
    std::size_t submitForm = html.find("name=\"SubmitForm\"");
    ASSERT_NE(submitForm, std::string::npos);
    EXPECT_NE(html.find("action=\"" + session_.FormActionURL() + "\"", submitForm - 80), std::string::npos);
    for (const char* field :
         {"name=\"WFEDIT1\"", "name=\"WFBUTTON1\"", "name=\"WFEDIT2\"", "name=\"WF_Action\"",
          "name=\"WF_FormName\" value=\"WFForm9\"", "name=\"WF_FormClass\" value=\"TWFForm9\""}) {
        EXPECT_NE(html.find(field, submitForm), std::string::npos) << field;
    }
    EXPECT_NE(html.find("id=\"locker\""), std::string::npos);
    EXPECT_NE(html.find("id=\"bussyCursor\""), std::string::npos);
}

// The form the page posts through, exactly: the fields of the controls, the page's hidden
// fields (their values as character references but for letters), then the runtime's own.
TEST_F(TWFAppFormTest, SubmitFormMarkup) {
    page_.HiddenFields.add("Token", "a1 \"&b");
    page_.HiddenFields.add("Empty", "");
    const std::string html = page_.RenderDocument(session_);
    const std::size_t start = html.find("<form method=\"POST\"");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = html.find("</form>", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(html.substr(start, end + 7 - start),
              "<form method=\"POST\" name=\"SubmitForm\" action=\"" + session_.FormActionURL() +
                  "\" accept-charset=\"UTF-8\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WFEDIT2\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WFEDIT1\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WFBUTTON1\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"Token\" value=\"a&#49;&#32;&#34;&#38;b\" size=\"-1\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"Empty\" size=\"-1\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WF_Action\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WF_ActionParam\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WF_FormName\" value=\"WFForm9\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WF_FormClass\" value=\"TWFForm9\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WF_width\">\r\n"
                  "  <input type=\"HIDDEN\" name=\"WF_height\">\r\n"
                  "</form>");
}

TEST_F(TWFAppFormTest, QueuedMessagesAlertOnceInOrder) {
    web::CurrentSessionScope current(&session_);
    page_.AddInitScript("window.alert(\"one\");\r\n");
    page_.AddInitScript("window.alert(\"two\");\r\n");
    std::string first = page_.RenderDocument(session_);
    EXPECT_LT(first.find("window.alert(\"one\")"), first.find("window.alert(\"two\")"));
    EXPECT_EQ(page_.RenderDocument(session_).find("window.alert("), std::string::npos);
}

TEST_F(TWFAppFormTest, InvisibleControlsAreNeitherRenderedNorPosted) {
    page_.region->Visible = false;
    std::string html = page_.RenderDocument(session_);
    EXPECT_EQ(html.find("WFEDIT2"), std::string::npos);
    page_.ProcessSubmit(post({{"WFEDIT2", "changed"}, {"WF_Action", "WFBUTTON1"}}));
    EXPECT_EQ(page_.hiddenEdit->Text, "kept");
}

TEST_F(TWFAppFormTest, ValuesArriveBeforeTheOneEvent) {
    page_.RenderDocument(session_);
    page_.ProcessSubmit(post({{"WFEDIT1", "  张三 "}, {"WF_Action", "WFBUTTON1"}, {"WF_ActionParam", ""}}));
    EXPECT_EQ(page_.clicks, 1);
    EXPECT_EQ(page_.textSeenByHandler, "  张三 ");
    page_.ProcessSubmit(post({{"WFEDIT1", "a"}, {"WFEDIT1", "b"}, {"WF_Action", "WFBUTTON1"}}));
    EXPECT_EQ(page_.edit->Text, "a,b");
}

TEST_F(TWFAppFormTest, TypedEntitiesComeBackAsTyped) {
    page_.edit->Text = "a &lt; b & \"c\"";
    EXPECT_NE(page_.RenderDocument(session_).find("value=\"a &amp;lt; b &amp; &quot;c&quot;\""),
              std::string::npos);
}

TEST_F(TWFAppFormTest, DisabledButtonIgnoresAPostNamingIt) {
    page_.button->Enabled = false;
    page_.RenderDocument(session_);
    EXPECT_THROW(page_.ProcessSubmit(post({{"WFEDIT1", "x"}, {"WF_Action", "WFBUTTON1"}})),
                 web::EWFException);
    EXPECT_EQ(page_.clicks, 0);
    EXPECT_EQ(page_.edit->Text, "x");
}

TEST_F(TWFAppFormTest, EmptyActionAppliesNothing) {
    page_.ProcessSubmit(post({{"WFEDIT1", "ignored"}, {"WF_Action", ""}, {"WF_ActionParam", ""}}));
    EXPECT_EQ(page_.edit->Text, "start");
    EXPECT_EQ(page_.clicks, 0);
}

TEST_F(TWFAppFormTest, SubmitErrors) {
    page_.RenderDocument(session_);
    try {
        page_.ProcessSubmit(post({{"WF_Action", "NOSUCH"}}));
        ADD_FAILURE() << "no error";
    } catch (const web::EWFException& error) {
        EXPECT_STREQ(error.what(), "Cannot find submit component.");
    }
    try {
        page_.ProcessSubmit(post({{"WF_Action", "WFLABEL1"}}));
        ADD_FAILURE() << "no error";
    } catch (const web::EWFException& error) {
        EXPECT_STREQ(error.what(), "Submit control (WFLABEL1) does not have a handler.");
    }
}

TEST_F(TWFAppFormTest, WindowSizeMovesControlsByTheirAnchors) {
    page_.region->Left = 10;
    page_.region->Width = 980;
    page_.region->Top = 60;
    page_.region->Height = 500;
    page_.region->Anchors = TWFAnchors{false, true, false, true};
    page_.button->Anchors = TWFAnchors{true, false, true, false};
    page_.setSize(1400, 879);
    EXPECT_EQ(page_.region->Left + page_.region->Width / 2, 700);
    EXPECT_EQ(page_.region->Height, 700);
    EXPECT_EQ(page_.button->Left, 0);
    page_.setSize(800, 600);
    EXPECT_EQ(page_.width(), 1000);
    EXPECT_EQ(page_.region->Left, 10);
}

// Each render writes a control's style as it is then: moved, in another font, or given a
// site class of the style sheet between two renders.
TEST_F(TWFAppFormTest, ARenderAfterAControlMovedOrChangedFontWritesItsNewStyle) {
    const std::string first = page_.RenderDocument(session_);
    EXPECT_NE(first.find(".WFLABEL1CSS {position:absolute;left:0;top:0;z-index:100;"), std::string::npos);
    EXPECT_EQ(page_.RenderDocument(session_), first);

    page_.label->Left = 40;
    page_.label->Font.Style.insert(TFontStyle::fsBold);
    const std::string moved = page_.RenderDocument(session_);
    EXPECT_NE(moved.find(".WFLABEL1CSS {position:absolute;left:40;top:0;z-index:100;font-weight:bold;"),
              std::string::npos)
        << moved.substr(0, 1200);

    page_.label->Font.CSSStyle = "title";
    const std::string classed = page_.RenderDocument(session_);
    EXPECT_EQ(classed.find(".WFLABEL1CSS"), std::string::npos);
    EXPECT_NE(classed.find("class=\"title\" id=\"WFLABEL1\""), std::string::npos);
}

TEST_F(TWFAppFormTest, ABodyWhoseColoursOrLockChangedBetweenRendersOpensAnew) {
    const std::string first = page_.RenderDocument(session_);
    EXPECT_NE(first.find("<body onresize=\"return Body_OnResize();\" topmargin=\"0\""), std::string::npos);
    EXPECT_NE(first.find("id=\"locker\""), std::string::npos);

    page_.BGColor = clRed;
    page_.LeftToRight = false;
    page_.LockUntilLoaded = false;
    const std::string changed = page_.RenderDocument(session_);
    EXPECT_NE(changed.find("<body onresize=\"return Body_OnResize();\" dir=\"RTL\" bgcolor=\"#FF0000\""),
              std::string::npos)
        << changed.substr(changed.find("<body"), 300);
    EXPECT_EQ(changed.find("id=\"locker\""), std::string::npos);

    page_.BGColor = clNone;
    page_.LeftToRight = true;
    page_.LockUntilLoaded = true;
    EXPECT_EQ(page_.RenderDocument(session_), first);
}

TEST_F(TWFAppFormTest, PageSaysItsLanguageAndALabelNamesItsInput) {
    page_.Language = "zh-CN";
    page_.label->FocusControl = page_.edit;
    std::string html = page_.RenderDocument(session_);
    EXPECT_EQ(html.rfind("<html lang=\"zh-CN\"><head>", 0), 0u);
    EXPECT_NE(
        html.find("<label for=\"WFEDIT1\" style=\"text-align:left;\" class=\"WFLABEL1CSS\" id=\"WFLABEL1\">"),
        std::string::npos)
        << html;
    EXPECT_NE(html.find("<input type=\"TEXT\" name=\"WFEDIT1\""), std::string::npos);
    EXPECT_NE(html.find("id=\"WFEDIT1\""), std::string::npos);
}

// A control that may outgrow its height asks the browser, after the layout objects exist
// and before the first layout, to grow it and move what lies below.
TEST_F(TWFAppFormTest, ControlGrowingWithItsContentIsMeasuredBeforeTheFirstLayout) {
    page_.label->GrowsWithContent = true;
    page_.label->Height = 40;
    std::string html = page_.RenderDocument(session_);
    std::size_t grow = html.find("GrowToContent(WFLABEL1WFCL, 40);");
    ASSERT_NE(grow, std::string::npos);
    EXPECT_LT(html.find("InitWFCLObjects();"), grow);
    const std::size_t firstLayout = html.find("\r\nBody_OnResize();");
    ASSERT_NE(firstLayout, std::string::npos);
    EXPECT_LT(grow, firstLayout);
    EXPECT_EQ(html.find("GrowToContent(WFEDIT1WFCL"), std::string::npos);
}

TEST(CodePageTest, GbPagesAreWrittenAsGb18030WithoutLoss) {
    std::string text = "考试 \xF0\xA0\xAE\xB7 ok";  // 𠮷 lies outside GBK
    std::string encoded = EncodeForCharset(text, "gb2312");
    EXPECT_EQ(encoded.substr(0, 4), "\xBF\xBC\xCA\xD4");
    EXPECT_EQ(encoded.substr(5, 4), "\x95\x34\xB2\x35");
    EXPECT_EQ(encoded.substr(9), " ok");
    EXPECT_EQ(EncodeForCharset(text, ""), text);
}

TEST(CodePageTest, MalformedPostedBytesAreReplacedFieldByField) {
    web::FieldList fields;
    fields.add("WFEDIT1", "ab\xFF\xC3");
    fields.add("WFEDIT2", "\xE5\xBC\xA0");
    web::FieldList decoded = DecodePostedFields(fields);
    EXPECT_EQ(decoded.value("WFEDIT1"), "ab\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(decoded.value("WFEDIT2"), "张");
    EXPECT_EQ(ToValidUTF8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace web::forms
