#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/RuntimeFixture.h"
#include "web/server/ErrorPage.h"
#include "web/server/Errors.h"

namespace web {
namespace {

const char* const kExpiredText =
    "Your session has expired. You will have to restart the application. In order to keep sessions from "
    "expiring you may set the session timeout parameter to a higher value. The current session timeout "
    "value is 10 minutes.";
const char* const kWFTop =
    "function WFTop(){ if ((parent != self) && (parent != null))return parent.WFTop();else return window;}";

class ErrorPageTest : public ::testing::Test {
protected:
    ErrorPageTest() { runtime_.controller().Description = "My Tessel Application"; }

    const TWFServerControllerBase* settings() { return &runtime_.controller(); }

    static bool contains(const std::string& page, const std::string& part) {
        return page.find(part) != std::string::npos;
    }

    testing_support::RuntimeFixture runtime_;
};

TEST_F(ErrorPageTest, MessageIsShownAsTextInsideTheWrappedPage) {
    std::string page = BuildErrorPage(settings(), "Bob's <script>alert(\"5\")</script> \\ end", false, true);
    EXPECT_EQ(
        page.rfind("<html><head><script>\r\n" + std::string(kWFTop) + " WFTop().document.writeln('<!DOCTYPE",
                   0),
        0u);
    EXPECT_TRUE(contains(page, "Bob&#39;s &lt;script&gt;alert(&#34;5&#34;)&lt;/script&gt; &#92; end"));
    EXPECT_FALSE(contains(page, "<script>alert"));
    // Inside the script only the wrapper's own quotes may end the string.
    std::string inner = page.substr(page.find("writeln('") + 9);
    EXPECT_EQ(inner.find('\''), inner.rfind("');"));
    EXPECT_TRUE(
        contains(page, "Depending on the error condition, it might be possible to restart the application."));
    // The template's own line breaks are gone: a script string cannot span lines.
    EXPECT_EQ(page.find('\n', page.find("writeln(")), page.find("');\r\n</script></head></html>") + 4);
    EXPECT_TRUE(page.ends_with("</HTML>');\r\n</script></head></html>"));
}

TEST_F(ErrorPageTest, ExpiredSessionTextFollowsTheTimeout) {
    struct Case {
        int timeout;
        const char* ending;
    };
    for (const Case& c : {Case{1, "The current session timeout value is 1 minute.<BR>"},
                          Case{10, "The current session timeout value is 10 minutes.<BR>"},
                          Case{600, "The current session timeout value is 600 minutes.<BR>"}}) {
        runtime_.controller().SessionTimeout = c.timeout;
        EXPECT_TRUE(contains(BuildErrorPage(settings(), "x", true, false), c.ending)) << c.timeout;
    }
}

TEST_F(ErrorPageTest, SessionExpiredReplyShowsTheRestartPage) {
    TInHTTPAppRequest request;
    TInHTTPAppResponse response;
    response.setContentStream(std::make_unique<MemoryContentStream>("half a page"));
    WriteErrorReply(settings(), std::make_exception_ptr(EInvalidSession()), request, response);
    EXPECT_EQ(response.statusCode, 500);
    EXPECT_EQ(response.reasonString, "Server error");
    EXPECT_EQ(response.contentStream, nullptr);
    EXPECT_EQ(response.customHeaders.value("Pragma"), "no-cache");
    const std::string& page = response.content;
    EXPECT_TRUE(contains(page, "<TITLE>My Tessel Application Error</TITLE>"));
    EXPECT_TRUE(
        contains(page, "An unhandled application error has occured within <b>My Tessel Application</b>."));
    EXPECT_TRUE(contains(page, std::string(kExpiredText) + "<BR><BR>"));
    EXPECT_TRUE(contains(page, "<A HREF=\"/\">Click here to restart <b>My Tessel Application</b></A>."));
    EXPECT_TRUE(
        contains(page, "<FONT COLOR=\"#FF0000\">Session not found. Session may have expired.</FONT>"));
    EXPECT_TRUE(contains(page, "<IMG SRC=\"/gfx/LogoBrantel\" ALT=\"\">"));
    EXPECT_TRUE(contains(page, "<IMG SRC=\"/gfx/LogoTessel\" ALT=\"\">"));
    EXPECT_FALSE(contains(page, "{%"));
}

TEST_F(ErrorPageTest, SessionTimeoutSettingSendsTheWindowElsewhere) {
    struct Case {
        bool isURL;
        const char* value;
        const char* target;
    };
    for (const Case& c : {Case{true, "http://exam.test/again", "http://exam.test/again"},
                          Case{false, "expired.htm", "/files/expired.htm"}}) {
        TWFFileReference& setting = runtime_.controller().SessionTimeoutURL;
        c.isURL ? setting.setURL(c.value) : setting.setFilename(c.value);
        TInHTTPAppRequest request;
        TInHTTPAppResponse response;
        WriteErrorReply(settings(), std::make_exception_ptr(EInvalidSession()), request, response);
        EXPECT_EQ(response.content, "<html>\r\n<head>\r\n<script>\r\n" + std::string(kWFTop) +
                                        " WFTop().window.location.href = \"" + c.target +
                                        "\";</script>\r\n</head></html>");
    }
}

TEST_F(ErrorPageTest, RepliesByKindOfError) {
    struct Case {
        std::exception_ptr error;
        int status;
        bool wrapped;
        const char* message;
    };
    for (const Case& c :
         {Case{std::make_exception_ptr(ESessionAlreadyLocked()), 500, true, "Session is already locked."},
          Case{std::make_exception_ptr(std::runtime_error("boom")), 500, true, "boom"},
          Case{std::make_exception_ptr(EDeviceNotSupported()), 200, false, "Device not supported"},
          Case{std::make_exception_ptr(EUnknownBrowserException("old\r\nbrowser", false)), 200, false,
               "old\r\nbrowser"},
          Case{std::make_exception_ptr(EUnknownBrowserException("other\r\nbrowser", true)), 200, true,
               "otherbrowser"}}) {
        TInHTTPAppRequest request;
        TInHTTPAppResponse response;
        response.setContent("half a page");
        WriteErrorReply(settings(), c.error, request, response);
        EXPECT_EQ(response.statusCode, c.status) << c.message;
        EXPECT_FALSE(contains(response.content, "half a page"));
        EXPECT_EQ(response.content.rfind("<html><head><script>", 0) == 0, c.wrapped) << c.message;
        EXPECT_TRUE(contains(response.content, c.message)) << c.message;
        EXPECT_EQ(response.reasonString, c.status == 500 ? "Server error" : "") << c.message;
        EXPECT_TRUE(contains(response.content, "Depending on the error condition")) << c.message;
    }
}

TEST_F(ErrorPageTest, UnsupportedBrowserSettingsRedirectOrServeAFile) {
    runtime_.controller().UnknownBrowser.setURL("http://exam.test/browsers");
    TInHTTPAppRequest request;
    TInHTTPAppResponse redirected;
    WriteErrorReply(settings(), std::make_exception_ptr(EUnknownBrowserException("old", false)), request,
                    redirected);
    EXPECT_EQ(redirected.statusCode, 302);
    EXPECT_EQ(redirected.location, "http://exam.test/browsers");

    std::filesystem::create_directories(runtime_.controller().filesFolder());
    std::ofstream(runtime_.controller().filesFolder() + "device.htm") << "<p>Use a desktop browser</p>";
    runtime_.controller().DeviceNotSupported.setFilename("device.htm");
    TInHTTPAppResponse served;
    WriteErrorReply(settings(), std::make_exception_ptr(EDeviceNotSupported()), request, served);
    EXPECT_EQ(served.statusCode, 200);
    ASSERT_NE(served.contentStream, nullptr);
    EXPECT_EQ(readAll(*served.contentStream), "<p>Use a desktop browser</p>");

    runtime_.controller().DeviceNotSupported.setFilename("../secret.htm");
    TInHTTPAppResponse refused;
    WriteErrorReply(settings(), std::make_exception_ptr(EDeviceNotSupported()), request, refused);
    EXPECT_EQ(refused.statusCode, 404);
}

// A template beside the program replaces the built-in one: it is told the kind of error,
// its declared charset goes with the reply, and its own quotes cannot end the script string.
TEST_F(ErrorPageTest, TemplateOfTheProgramChoosesItsTextsByKindAndCharset) {
    std::filesystem::create_directories(runtime_.controller().templateFolder());
    std::ofstream(runtime_.controller().templateFolder() + "WFError.html")
        << "<html><head><meta charset=utf-8></head><body class=\"{%ERRORKIND%}\">it's \\ {%CONTENT%} "
           "<a href=\"{%APPADDRESS%}\">返回首页</a></body></html>";
    struct Case {
        std::exception_ptr error;
        const char* kind;
        const char* message;
    };
    for (const Case& c : {Case{std::make_exception_ptr(EInvalidSession()), "expired",
                               "Session not found. Session may have expired."},
                          Case{std::make_exception_ptr(std::runtime_error("db1.db: no such file")), "error",
                               "db1.db: no such file"}}) {
        TInHTTPAppRequest request;
        TInHTTPAppResponse response;
        WriteErrorReply(settings(), c.error, request, response);
        EXPECT_EQ(response.statusCode, 500);
        EXPECT_EQ(response.contentType, "text/html; charset=utf-8");
        EXPECT_TRUE(contains(response.content, "<body class=\"" + std::string(c.kind) + "\">")) << c.kind;
        EXPECT_TRUE(contains(response.content,
                             std::string("it\\'s \\\\ ") + c.message + " <a href=\"/\">返回首页</a>"))
            << response.content;
        std::string inner = response.content.substr(response.content.find("writeln('") + 9);
        EXPECT_EQ(inner.find("');"), inner.rfind("');")) << "only the wrapper ends the string";
    }
}

// The wrapped page is one script string inside one script block: a template's own script
// block or line separator must not end either early.
TEST_F(ErrorPageTest, TemplateScriptBlockStaysInsideTheWrappingScript) {
    std::filesystem::create_directories(runtime_.controller().templateFolder());
    std::ofstream(runtime_.controller().templateFolder() + "WFError.html")
        << "<html><body><SCRIPT>var a = 1;</SCRIPT>{%CONTENT%}\xE2\x80\xA8</body></html>";
    std::string page = BuildErrorPage(settings(), "boom", false, true);
    EXPECT_TRUE(
        contains(page, "writeln('<html><body><SCRIPT>var a = 1;<\\/script>boom\\u2028</body></html>');"))
        << page;
    EXPECT_EQ(page.find("</script>"), page.rfind("</script>")) << page;
}

TEST_F(ErrorPageTest, BuiltInTemplateDeclaresItsCharsetOnTheReply) {
    TInHTTPAppRequest request;
    TInHTTPAppResponse response;
    WriteErrorReply(settings(), std::make_exception_ptr(std::runtime_error("boom")), request, response);
    EXPECT_EQ(response.contentType, "text/html; charset=iso-8859-1");
}

}  // namespace
}  // namespace web
