#include <gtest/gtest.h>

#include "web/server/dispatch/CachePolicy.h"
#include "web/server/dispatch/ScriptReplies.h"

namespace web {
namespace {

const std::string kTop =
    "function WFTop(){ if ((parent != self) && (parent != null))return parent.WFTop();else return "
    "window;}\r\n";

TEST(ScriptRepliesTest, RedirectAndTerminationPages) {
    const std::string metaRedirect =
        "<html>\r\n<head>\r\n<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0;URL=http://example.test/next\">\r\n"
        "<meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
        "<meta http-equiv=\"pragma\" content=\"no-cache\">\r\n</head></html>";
    const std::string scriptRedirect =
        "<html>\r\n<head>\r\n<script>\r\n" + kTop +
        "WFTop().window.location.href = \"http://example.test/next\";</script>\r\n"
        "</head></html>";
    struct Case {
        const char* why;
        std::string reply;
        std::string expected;
    };
    const Case cases[] = {
        {"redirect", RedirectPage("http://example.test/next", false), metaRedirect},
        {"redirect in a partial update", RedirectPage("http://example.test/next", true), scriptRedirect},
        {"ended with an address only", TerminationReply("http://example.test/next", "", false, 3),
         metaRedirect},
        {"ended with address and message", TerminationReply("http://example.test/next", "Bye\nnow", false, 3),
         "<html>\r\n<head>\r\n<META HTTP-EQUIV=\"Refresh\" CONTENT=\"3;URL=http://example.test/next\">\r\n"
         "<meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
         "<meta http-equiv=\"pragma\" content=\"no-cache\">\r\n</head><body>Bye<br>now</body></html>"},
        {"ended with a message only", TerminationReply("", "Bye", false, 0),
         "<html><head><script> " + kTop +
             "WFTop().setTimeout('document.writeln( \"<html><body>Bye</body></html>\");document.close();',0);"
             "</script></head></html>"},
        {"ended with neither", TerminationReply("", "", false, 0), ""},
        {"window-size answer", ResizeAcknowledgement(),
         "<html><head><script>" + kTop + "\r\nWFTop().GSubmitting=false;\r\n</script></head></html>"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.reply, c.expected) << c.why;
}

TEST(ScriptRepliesTest, AddressesAreEscapedForWhereTheyLand) {
    const std::string address = "http://x.test/\"><script>alert(1)</script>";
    std::string meta = RedirectPage(address, false);
    EXPECT_EQ(meta.find("<script>alert"), std::string::npos) << meta;
    EXPECT_NE(meta.find("URL=http://x.test/&quot;&gt;&lt;script&gt;"), std::string::npos) << meta;
    std::string script = RedirectPage(address, true);
    EXPECT_EQ(script.find("/\"><script>"), std::string::npos) << script;
    // A query's ampersand reaches the browser as typed, whatever follows it.
    EXPECT_NE(RedirectPage("/next?a=1&copy=2", false).find("URL=/next?a=1&amp;copy=2\""), std::string::npos);
}

TEST(ScriptRepliesTest, TerminationMessagesShowAsWritten) {
    const std::string page = TerminationReply("/next", "A&amp;B <i>\r\nnow", false, 3);
    EXPECT_NE(page.find("<body>A&amp;amp;B &lt;i&gt;<br>now</body>"), std::string::npos) << page;
}

TEST(ScriptRepliesTest, NavigationScriptSubmitsTheTopFormOrTheNextFile) {
    const std::string head =
        "<html><head><script>" + kTop +
        "var p = WFTop().location.protocol + \"//\" + WFTop().location.host + \"/EXEC/4/sid\";\r\n"
        "WFTop().GSubmitting = false; WFTop().ValidClick = true;\r\n";
    EXPECT_EQ(NavigationScriptPage("/EXEC/4/sid", false, "", ""),
              head +
                  "WFTop().document.SubmitForm.action=p;\r\nWFTop().document.SubmitForm.submit();\r\n"
                  "</script></head></html>");
    EXPECT_EQ(
        NavigationScriptPage("/EXEC/4/sid", true, "", ""),
        head +
            "WFTop().document.HiddenSubmitForm.action=p;\r\nWFTop().document.HiddenSubmitForm.submit();\r\n"
            "</script></head></html>");
    EXPECT_EQ(NavigationScriptPage("/EXEC/4/sid", false, "UPLOAD1", "2"),
              head +
                  "WFTop().GSubmitter.action=p;\r\nWFTop().SubmitNextFile('UPLOAD1','2');\r\n"
                  "</script></head></html>");
}

TEST(CachePolicyTest, CacheableRepliesExpireOthersMustBeFetchedAgain) {
    const TimePoint now = Clock::now();
    const TimePoint modified = now - std::chrono::hours(3);
    struct Case {
        const char* why;
        bool cacheable;
        std::string ownExpires;  // set by the reply before
        std::string expires;     // empty: no header
        std::string pragma;
        std::string lastModified;
    };
    const std::string later = formatHttpDate(now + std::chrono::minutes(30));
    const Case cases[] = {
        {"cacheable", true, "", later, "", formatHttpDate(modified)},
        {"cacheable with its own expiry", true, "Sat, 01 Jan 2000 00:00:00 GMT",
         "Sat, 01 Jan 2000 00:00:00 GMT", "", formatHttpDate(modified)},
        {"not cacheable", false, "", "", "no-cache", ""},
        {"not cacheable, expiry dropped", false, "Sat, 01 Jan 2000 00:00:00 GMT", "", "no-cache", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        TInHTTPAppResponse response;
        response.lastModified = modified;
        if (!c.ownExpires.empty()) response.customHeaders.add("Expires", c.ownExpires);
        ApplyCachePolicy(response, c.cacheable, std::chrono::minutes(30), now);
        EXPECT_EQ(response.customHeaders.value("Expires"), c.expires);
        EXPECT_EQ(response.customHeaders.value("Pragma"), c.pragma);
        EXPECT_EQ(response.customHeaders.value("Last-Modified"), c.lastModified);
        EXPECT_FALSE(response.lastModified.has_value());
    }
}

}  // namespace
}  // namespace web
