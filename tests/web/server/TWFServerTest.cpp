#include "web/server/dispatch/TWFServer.h"
#include "web/server/dispatch/ScriptReplies.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include "tests/support/RuntimeFixture.h"
#include "tests/support/ScriptLiteral.h"
#include "web/server/TWFApplication.h"
#include "web/server/session/SessionTable.h"

namespace web {
namespace {

using testing_support::ProbePage;
using testing_support::RuntimeFixture;
using testing_support::ScriptEndTags;
using testing_support::ScriptLiteralAfter;

const char* const kChrome = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

struct Reply {
    int status = 0;
    std::string body;
    FieldList headers;
    std::string location;
};

class TWFServerTest : public ::testing::Test {
protected:
    Reply send(const std::string& method, const std::string& path, const FieldList& fields = {}) {
        TInHTTPAppRequest request;
        request.method = method;
        request.path = path;
        request.peerAddress = "127.0.0.1";
        request.host = "127.0.0.1";
        request.serverPort = 8089;
        request.headers.add("User-Agent", kChrome);
        (method == "POST" ? request.contentFields : request.queryFields) = fields;
        TInHTTPAppResponse response;
        runtime_.dispatch(request, response);
        Reply reply{response.statusCode, response.content, response.customHeaders, response.location};
        if (response.contentStream) reply.body = readAll(*response.contentStream);
        return reply;
    }

    // Opens a session as a browser does: "/" then the size probe's post.
    std::string startSession() {
        Reply probe = send("GET", "/");
        std::string marker = "action=\"/EXEC/0/";
        std::size_t at = probe.body.find(marker);
        EXPECT_NE(at, std::string::npos);
        std::string id = probe.body.substr(at + marker.size(), 28);
        send("POST", "/EXEC/0/" + id, fields({{"WF_width", "800"}, {"WF_height", "600"}}));
        return id;
    }

    static FieldList fields(std::initializer_list<std::pair<std::string, std::string>> pairs) {
        FieldList list;
        for (const auto& [name, value] : pairs) list.add(name, value);
        return list;
    }

    SessionTable& table() { return runtime_.sessions(); }

    // Reads an idle session without holding it (holding would refresh its idle clock).
    template <typename Read>
    auto inSession(const std::string& id, Read read) {
        std::optional<decltype(read(std::declval<TWFApplication&>()))> value;
        table().peek(id, [&](TWFApplication& found) { value = read(found); });
        if (!value) throw std::logic_error("no such session");
        return *value;
    }

    RuntimeFixture runtime_;
};

TEST_F(TWFServerTest, StartAnswersTheSizeProbeWithoutCaching) {
    Reply reply = send("GET", "/");
    EXPECT_EQ(reply.status, 200);
    std::size_t at = reply.body.find("action=\"/EXEC/0/");
    ASSERT_NE(at, std::string::npos);
    std::string id = reply.body.substr(at + 16, 28);
    EXPECT_EQ(reply.body, SizeProbePage("/EXEC/0/" + id, id));
    EXPECT_TRUE(table().contains(id));
    EXPECT_EQ(reply.headers.value("Pragma"), "no-cache");
    EXPECT_FALSE(reply.headers.contains("Expires"));
}

TEST_F(TWFServerTest, SizeProbePostSizesTheStartPageAndAdvancesTheTrack) {
    Reply probe = send("GET", "/");
    std::string id = probe.body.substr(probe.body.find("/EXEC/0/") + 8, 28);
    Reply page = send("POST", "/exec/0/" + id, fields({{"WF_width", "800"}, {"WF_height", "600"}}));
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("size=800x600"), std::string::npos) << page.body;
    EXPECT_NE(page.body.find("action=/EXEC/1/" + id), std::string::npos) << page.body;
    EXPECT_EQ(page.headers.value("Pragma"), "no-cache");
    EXPECT_FALSE(page.headers.contains("Expires"));
}

TEST_F(TWFServerTest, SecondPostOfTheSamePageIsStaleAndResyncs) {
    std::string id = startSession();
    Reply first = send("POST", "/EXEC/1/" + id, fields({{"x", "1"}}));
    EXPECT_NE(first.body.find("action=/EXEC/2/" + id), std::string::npos);
    EXPECT_TRUE(first.headers.contains("Expires"));
    EXPECT_FALSE(first.headers.contains("Pragma"));
    auto submitsOf = [&] { return inSession(id, [](TWFApplication& s) { return RuntimeFixture::pageOf(s).submits; }); };
    int submits = submitsOf();

    Reply stale = send("POST", "/EXEC/1/" + id, fields({{"x", "2"}}));
    EXPECT_EQ(submitsOf(), submits);
    EXPECT_NE(stale.body.find("action=/EXEC/2/" + id), std::string::npos);
    EXPECT_NE(stale.body.find("window.alert(\"You have attempted to post or refresh data from a page that  depends"),
              std::string::npos)
        << stale.body;
}

TEST_F(TWFServerTest, SessionErrorsGiveServerErrorPagesAndLeaveTheSessionUnlocked) {
    EXPECT_EQ(send("POST", "/EXEC/1/" + std::string(28, 'z')).status, 500);
    std::string id = startSession();
    SessionLock busy = table().lock(id, DetectBrowser(kChrome), "127.0.0.1");
    Reply refused = send("POST", "/EXEC/1/" + id);
    EXPECT_EQ(refused.status, 500);
    EXPECT_NE(refused.body.find("Session is already locked."), std::string::npos);
    busy.release();
    EXPECT_EQ(send("POST", "/EXEC/1/" + id).status, 200);
}

TEST_F(TWFServerTest, TrackBeyondThirtyTwoBitsFailsAndNonNumberCountsAsZero) {
    std::string id = startSession();
    EXPECT_EQ(send("POST", "/EXEC/4294967296/" + id).status, 500);
    Reply zero = send("POST", "/EXEC/abc/" + id);
    EXPECT_EQ(zero.status, 200);
    EXPECT_EQ(zero.headers.value("Pragma"), "no-cache");
}

TEST_F(TWFServerTest, UnknownWordsAndPing) {
    Reply unknown = send("GET", "/foo");
    EXPECT_EQ(unknown.status, 500);
    EXPECT_NE(unknown.body.find("Unrecognized Command: : FOO:"), std::string::npos);
    Reply ping = send("GET", "/PING");
    EXPECT_EQ(ping.status, 200);
    EXPECT_TRUE(ping.body.empty());
    EXPECT_EQ(ping.headers.value("Pragma"), "no-cache");
}

TEST_F(TWFServerTest, PingWithSessionIdRefreshesItsIdleClock) {
    std::string id = startSession();
    auto lastAccess = [](TWFApplication& s) { return s.LastAccess(); };
    TimePoint before = inSession(id, lastAccess);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    send("GET", "/PING/" + id);
    EXPECT_GT(inSession(id, lastAccess), before);
    EXPECT_EQ(inSession(id, [](TWFApplication& s) { return s.TrackID(); }), 1);
}

TEST_F(TWFServerTest, PingRunsThePagesKeepAliveWorkOnlyWhenItIsDue) {
    std::string id = startSession();
    auto keepAlives = [](TWFApplication& s) { return RuntimeFixture::pageOf(s).keepAlives; };
    send("GET", "/PING/" + id);
    EXPECT_EQ(inSession(id, keepAlives), 0);
    inSession(id, [](TWFApplication& s) { return RuntimeFixture::pageOf(s).keepAliveWork = true; });
    send("GET", "/PING/" + id);
    EXPECT_EQ(inSession(id, keepAlives), 1);
    // The session is given back as it was: the page's next post still matches.
    EXPECT_EQ(inSession(id, [](TWFApplication& s) { return s.TrackID(); }), 1);
}

TEST_F(TWFServerTest, TerminationRepliesAndRemovesTheSession) {
    std::string quiet = startSession();
    Reply redirect = send("POST", "/EXEC/1/" + quiet, fields({{"do", "redirect"}}));
    EXPECT_EQ(redirect.body,
              "<html>\r\n<head>\r\n<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0;URL=http://example.test/next\">\r\n"
              "<meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
              "<meta http-equiv=\"pragma\" content=\"no-cache\">\r\n</head></html>");
    EXPECT_FALSE(table().contains(quiet));

    std::string talking = startSession();
    Reply message = send("POST", "/EXEC/1/" + talking, fields({{"do", "quit"}}));
    // The message is text: its markup is shown, not obeyed.
    EXPECT_NE(
        message.body.find("document.writeln( \"<html><body>Bye &lt;b&gt;now&lt;/b&gt;</body></html>\")"),
        std::string::npos)
        << message.body;
    EXPECT_FALSE(table().contains(talking));
}

// Texts that would end a script string or block, or change what it means.
const char* const kHostileTexts[] = {
    "say \"hi\" and 'bye'",
    "</script><script>alert(1)</script>",
    "line one\r\nline two\nthree",
    "C:\\exams\\new",
    "\\\\server\\share",
    "\\\\');alert(1);//",
    "<!-- x",
};

// The text as the page shows it: what HtmlEscape made of it, read back.
std::string shownText(std::string html) {
    std::string shown;
    for (std::size_t i = 0; i < html.size();) {
        bool matched = false;
        static const std::pair<std::string_view, std::string_view> kEntities[] = {
            {"&quot;", "\""}, {"&#39;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"<br>", "\n"}};
        for (auto [name, plain] : kEntities) {
            if (html.compare(i, name.size(), name) == 0) {
                shown += plain;
                i += name.size();
                matched = true;
                break;
            }
        }
        if (!matched) shown += html[i++];
    }
    return shown;
}

std::string withoutCR(std::string text) {
    std::erase(text, '\r');
    return text;
}

TEST_F(TWFServerTest, TerminationMessageIsShownAsTextWhateverItHolds) {
    for (const char* text : kHostileTexts) {
        SCOPED_TRACE(text);
        std::string id = startSession();
        Reply reply = send("POST", "/EXEC/1/" + id, fields({{"do", "quit"}, {"text", text}}));
        EXPECT_EQ(ScriptEndTags(reply.body), 1) << reply.body;
        // A single-quoted literal of code that writes a double-quoted literal.
        std::optional<std::string> code = ScriptLiteralAfter(reply.body, "WFTop().setTimeout('");
        ASSERT_TRUE(code.has_value()) << reply.body;
        std::size_t end = 0;
        std::optional<std::string> written = ScriptLiteralAfter(*code, "document.writeln( \"", &end);
        ASSERT_TRUE(written.has_value()) << *code;
        EXPECT_EQ(code->substr(end), ");document.close();");
        ASSERT_TRUE(written->starts_with("<html><body>") && written->ends_with("</body></html>")) << *written;
        std::string body = written->substr(12, written->size() - 12 - 14);
        std::string markup = body;
        for (std::size_t br = markup.find("<br>"); br != std::string::npos; br = markup.find("<br>")) {
            markup.erase(br, 4);
        }
        EXPECT_EQ(markup.find('<'), std::string::npos) << "only line breaks are markup: " << body;
        EXPECT_EQ(shownText(body), withoutCR(text));
    }
}

TEST_F(TWFServerTest, TerminationMessageBesideARedirectIsEscapedMarkup) {
    std::string id = startSession();
    Reply reply = send("POST", "/EXEC/1/" + id,
                       fields({{"do", "leave"},
                               {"text", "</body><script>alert(1)</script>\r\nbye"},
                               {"to", "http://example.test/next"}}));
    EXPECT_EQ(
        reply.body,
        "<html>\r\n<head>\r\n<META HTTP-EQUIV=\"Refresh\" CONTENT=\"0;URL=http://example.test/next\">\r\n"
        "<meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
        "<meta http-equiv=\"pragma\" content=\"no-cache\">\r\n</head><body>"
        "&lt;/body&gt;&lt;script&gt;alert(1)&lt;/script&gt;<br>bye</body></html>");
}

TEST_F(TWFServerTest, NavigationScriptCarriesThePostedControlAsAString) {
    for (const char* text : kHostileTexts) {
        SCOPED_TRACE(text);
        std::string id = startSession();
        std::string param = std::string("p:") + text;
        Reply reply =
            send("POST", "/UPLOAD/1/" + id,
                 fields({{"WF_MainPageSubmitControl", text}, {"WF_MainPageSubmitControlParam", param}}));
        EXPECT_EQ(ScriptEndTags(reply.body), 1) << reply.body;
        std::size_t end = 0;
        std::optional<std::string> control = ScriptLiteralAfter(reply.body, "WFTop().SubmitNextFile('", &end);
        ASSERT_TRUE(control.has_value()) << reply.body;
        ASSERT_EQ(reply.body.compare(end, 1, ","), 0) << reply.body.substr(end);
        std::optional<std::string> controlParam =
            testing_support::ReadScriptLiteral(reply.body, end + 1, &end);
        ASSERT_TRUE(controlParam.has_value()) << reply.body;
        EXPECT_EQ(reply.body.substr(end), ");\r\n</script></head></html>");
        EXPECT_EQ(*controlParam, withoutCR(param));
        // A text that begins with two backslashes and is already escaped passes as it is.
        bool preEscaped = std::string_view(text).starts_with("\\\\") &&
                          std::string_view(text).find('\'') == std::string_view::npos;
        if (!preEscaped) {
            EXPECT_EQ(*control, withoutCR(text));
        }
    }
}

TEST_F(TWFServerTest, BindParameterReachesTheBoundSession) {
    Reply probe = send("GET", "/", fields({{"bind", "Desk-7"}}));
    std::string id = probe.body.substr(probe.body.find("/EXEC/0/") + 8, 28);
    send("POST", "/EXEC/0/" + id, fields({{"WF_width", "800"}, {"WF_height", "600"}}));
    Reply bound = send("GET", "/EXEC/1/" + std::string(28, 'u'), fields({{"bind", "desk-7"}}));
    EXPECT_EQ(bound.status, 200);
    EXPECT_NE(bound.body.find("action=/EXEC/2/" + id), std::string::npos) << bound.body;
    EXPECT_EQ(send("GET", "/EXEC/2/" + std::string(28, 'u'), fields({{"bind", "desk-8"}})).status, 500);
}

TEST_F(TWFServerTest, HandlerErrorBecomesAnAlertOnTheSamePage) {
    std::string id = startSession();
    Reply reply = send("POST", "/EXEC/1/" + id, fields({{"do", "fail"}}));
    EXPECT_EQ(reply.status, 200);
    EXPECT_NE(reply.body.find("window.alert(\"handler failed\")"), std::string::npos) << reply.body;
}

TEST_F(TWFServerTest, StopFreesAnIdleSessionAndRedirects) {
    std::string id = startSession();
    Reply stop = send("GET", "/STOP/" + id + "/example.test/bye");
    EXPECT_EQ(stop.status, 302);
    EXPECT_EQ(stop.location, "http://example.test/bye");
    EXPECT_FALSE(table().contains(id));
    EXPECT_EQ(send("GET", "/STOP/" + std::string(28, 'q')).status, 200);

    std::string secure = startSession();
    EXPECT_EQ(send("GET", "/STOP/" + secure + "/_S_.example.test/bye").location, "https://example.test/bye");
}

TEST_F(TWFServerTest, StopRedirectsOnlyWhenItEndedASession) {
    std::string busyId = startSession();
    SessionLock busy = table().lock(busyId, DetectBrowser(kChrome), "127.0.0.1");
    std::string ended = startSession();
    send("GET", "/STOP/" + ended);
    struct Case {
        std::string why;
        std::string id;
    };
    for (const Case& stop : {Case{"no such session", std::string(28, 'q')}, Case{"ended before", ended},
                             Case{"busy with a request", busyId}, Case{"empty id", ""}}) {
        SCOPED_TRACE(stop.why);
        Reply reply = send("GET", "/STOP/" + stop.id + "/evil.example/login");
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(reply.location, "");
        EXPECT_EQ(reply.body, "");
    }
    EXPECT_TRUE(table().contains(busyId));
    busy.release();
}

}  // namespace
}  // namespace web
