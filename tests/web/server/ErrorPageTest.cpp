#include "web/server/ErrorPage.h"

#include <gtest/gtest.h>

#include "tests/support/RuntimeFixture.h"
#include "web/server/Errors.h"
#include "web/server/FileRequests.h"

namespace web {
namespace {

class ErrorPageTest : public ::testing::Test {
protected:
    testing_support::RuntimeFixture runtime_;
};

TEST_F(ErrorPageTest, MessageIsShownAsTextInsideTheWrappedPage) {
    std::string page = BuildErrorPage("Bob's <script>alert(\"x\")</script> \\ end", false, true);
    EXPECT_EQ(page.rfind("<html><head><script>\r\nfunction WFTop(){", 0), 0u);
    EXPECT_NE(page.find("Bob&#39s &lt;script&gt;alert(&#34x&#34)&lt;/script&gt; &#92; end"), std::string::npos);
    EXPECT_EQ(page.find("<script>alert"), std::string::npos);
    // Inside the script only the wrapper's own quotes may end the string.
    std::string inner = page.substr(page.find("writeln('") + 9);
    EXPECT_EQ(inner.find('\''), inner.rfind("');"));
    EXPECT_NE(page.find("Depending on the error condition, it might be possible to restart the application."),
              std::string::npos);
    // The template's own line breaks are gone: a script string cannot span lines.
    EXPECT_EQ(page.find('\n', page.find("writeln(")), page.find("');\r\n</script></head></html>") + 4);
}

TEST_F(ErrorPageTest, ExpiredSessionTextFollowsTheTimeout) {
    runtime_.controller().SessionTimeout = 1;
    EXPECT_NE(BuildErrorPage("x", true, false).find("The current session timeout value is 1 minute."),
              std::string::npos);
    runtime_.controller().SessionTimeout = 10;
    EXPECT_NE(BuildErrorPage("x", true, false).find("The current session timeout value is 10 minutes."),
              std::string::npos);
}

TEST_F(ErrorPageTest, RepliesByKindOfError) {
    struct Case {
        std::exception_ptr error;
        int status;
        bool wrapped;
    };
    for (const Case& c : {Case{std::make_exception_ptr(EInvalidSession()), 500, true},
                          Case{std::make_exception_ptr(std::runtime_error("boom")), 500, true},
                          Case{std::make_exception_ptr(EDeviceNotSupported()), 200, false},
                          Case{std::make_exception_ptr(EUnknownBrowserException("old", false)), 200, false},
                          Case{std::make_exception_ptr(EUnknownBrowserException("other", true)), 200, true}}) {
        TInHTTPAppRequest request;
        TInHTTPAppResponse response;
        response.setContent("half a page");
        WriteErrorReply(c.error, request, response);
        EXPECT_EQ(response.statusCode, c.status);
        EXPECT_EQ(response.content.find("half a page"), std::string::npos);
        EXPECT_EQ(response.content.rfind("<html><head><script>", 0) == 0, c.wrapped) << response.content;
        if (c.status == 500) {
            EXPECT_EQ(response.reasonString, "Server error");
        }
    }
}

TEST(InternalResourceNameTest, DerivedFromTheAddress) {
    using K = TWFServer::Kind;
    EXPECT_EQ(InternalResourceName(K::Gfx, "Tp.gif"), "WF_GFX_Tp");
    EXPECT_EQ(InternalResourceName(K::Js, "WFCommon.js_4.1.0"), "WF_JS_WFCommon");
    EXPECT_EQ(InternalResourceName(K::Js, "WFCommon.js"), "WF_JS_");
    EXPECT_EQ(InternalResourceName(K::Css, "tabcontrol.css_4.1.0"), "WF_CSS_tabcontrol");
}

}  // namespace
}  // namespace web
