// Posts no browser would send, made by hand over a real socket to the exam server on
// loopback: actions of hidden or disabled controls, values of disabled fields, script in
// posted fields, and stop links that name no session.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "tests/support/ExamServer.h"
#include "tests/support/HttpTestClient.h"
#include "tests/support/PageBrowser.h"
#include "tests/support/ScriptLiteral.h"
#include "web/forms/CodePage.h"

namespace {

using testing_support::HttpReply;
using testing_support::HttpTestClient;
using testing_support::PageBrowser;

constexpr const char* kPassword = "pw";
constexpr const char* kNotFound = "window.alert(\"Cannot find submit component.\");";



// The exam application with its sample exam, on a loopback port, in a fresh folder.
class ForgedPostIntegrationTest : public ::testing::Test {
protected:
    // "/" and the size probe's post: the home page.
    PageBrowser open() { return PageBrowser::Open(*client_); }

    // From the home page through the login to the exam list.
    PageBrowser openExamList() {
        PageBrowser browser = open();
        browser.click("WFLINK1");
        browser.click("WFBUTTON1", "", {{"WFEDIT1", kPassword}});
        return browser;
    }

    // The first column of every row of `sql`, as text.
    static std::vector<std::string> rows(const std::string& sql) {
        exam::db::Database db(std::string(exam::db::kDatabaseFileName));
        exam::db::Query query(db);
        query.SQL().SetText(sql);
        query.Open();
        std::vector<std::string> result;
        for (; !query.Eof(); query.Next()) result.push_back(query.Fields(0).AsString());
        return result;
    }

    testing_support::ExamServer server_;
    HttpTestClient* client_ = &server_.client();
};

TEST_F(ForgedPostIntegrationTest, HiddenLinksOfTheAdminPagesCannotBeFired) {
    PageBrowser list = openExamList();
    ASSERT_TRUE(list.on("考试列表")) << list.page.body.substr(0, 500);
    // The exam list's hidden cloud link.
    list.click("WFLINK8");
    EXPECT_EQ(list.page.status, 200);
    EXPECT_TRUE(list.shows(kNotFound));

    // The exam settings page's hidden cloud link would open a dialog no user can see.
    PageBrowser settings = openExamList();
    settings.click("WFGRID1", "1_2");
    ASSERT_TRUE(settings.on("考试设置")) << settings.page.body.substr(0, 500);
    ASSERT_FALSE(settings.shows("WFREGION9"));
    settings.click("WFLINK10");
    EXPECT_EQ(settings.page.status, 200);
    EXPECT_TRUE(settings.shows(kNotFound));
    EXPECT_TRUE(settings.on("考试设置"));
    EXPECT_FALSE(settings.shows("WFREGION9"));
}

TEST_F(ForgedPostIntegrationTest, CancelledDeleteCannotBeForcedByAForgedClick) {
    const std::vector<std::string> exams = rows("select id from test");
    ASSERT_EQ(exams.size(), 1u);
    PageBrowser list = openExamList();
    list.click("WFGRID1", "1_3");  // "点击删除": the confirmation dialog
    ASSERT_TRUE(list.shows("WFLINK6"));
    list.click("WFLINK7");  // cancelled
    ASSERT_FALSE(list.shows("WFLINK6"));

    list.click("WFLINK6");  // the dialog's delete link, no longer on the page
    EXPECT_TRUE(list.shows(kNotFound));
    EXPECT_EQ(rows("select id from test"), exams);
    EXPECT_FALSE(rows("select id from tm").empty());
}

TEST_F(ForgedPostIntegrationTest, ConfirmedNameCannotBeReplacedByAForgedField) {
    PageBrowser candidate = open();
    candidate.click("WFGRID1", "1_1");  // the sample exam
    ASSERT_TRUE(candidate.on("考试页面")) << candidate.page.body.substr(0, 500);
    candidate.click("WFLINK1", "", {{"WFEDIT1", "Alice"}});  // the name is confirmed and locked
    ASSERT_TRUE(candidate.shows("name=\"WFEDIT1\" disabled=\"true\" value=\"Alice\"")) << candidate.page.body;

    // The confirm link is gone, and a posted name does not reach the locked field.
    candidate.click("WFLINK1", "", {{"WFEDIT1", "Mallory"}});
    EXPECT_TRUE(candidate.shows(kNotFound));
    candidate.click("WFBUTTON4", "", {{"WFEDIT1", "Mallory"}});
    EXPECT_TRUE(candidate.on("交卷完成"));
    EXPECT_EQ(rows("select 姓名 from cj"), std::vector<std::string>{"Alice"});
}

// Texts that would end a script string or block if they were pasted into one.
const char* const kHostileTexts[] = {
    "x');alert(document.cookie);//",
    "</script><script>alert(1)</script>",
    "a\"b",
    "two\r\nlines",
    "back\\slash",
};

TEST_F(ForgedPostIntegrationTest, PostedSubmitControlStaysInsideItsScriptString) {
    for (const char* text : kHostileTexts) {
        SCOPED_TRACE(text);
        PageBrowser browser = open();
        HttpReply reply = client_->post(
            "/UPLOAD/" + std::to_string(browser.track) + "/" + browser.id,
            testing_support::FormEncode({{"WF_MainPageSubmitControl", text}, {"WF_MainPageSubmitControlParam", text}}));
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(testing_support::ScriptEndTags(reply.body), 1) << reply.body;
        std::size_t end = 0;
        std::optional<std::string> control =
            testing_support::ScriptLiteralAfter(reply.body, "WFTop().SubmitNextFile('", &end);
        ASSERT_TRUE(control.has_value()) << reply.body;
        std::optional<std::string> parameter = testing_support::ReadScriptLiteral(reply.body, end + 1, &end);
        ASSERT_TRUE(parameter.has_value()) << reply.body;
        std::string expected = text;
        std::erase(expected, '\r');
        EXPECT_EQ(*control, expected);
        EXPECT_EQ(*parameter, expected);
        EXPECT_EQ(reply.body.substr(end), ");\r\n</script></head></html>");
    }
}

TEST_F(ForgedPostIntegrationTest, StopLinkRedirectsOnlyForTheSessionItEnds) {
    PageBrowser browser = open();
    HttpReply ending = client_->get("/STOP/" + browser.id + "/example.test/bye");
    EXPECT_EQ(ending.status, 302);
    EXPECT_EQ(ending.headers.value("Location"), "http://example.test/bye");

    for (const std::string& id : {browser.id, std::string(28, 'q'), std::string("x")}) {
        SCOPED_TRACE(id);
        HttpReply reply = client_->get("/STOP/" + id + "/look-alike.example/login");
        EXPECT_EQ(reply.status, 200);
        EXPECT_FALSE(reply.headers.contains("Location"));
        EXPECT_EQ(reply.body, "<HTML><BODY><B>200 OK</B></BODY></HTML>\r\n");
    }
}

}  // namespace
