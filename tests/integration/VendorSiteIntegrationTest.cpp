#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/HostTexts.h"
#include "app/VendorServices.h"
#include "app/vendor/ProductInfo.h"
#include "host/HttpGet.h"
#include "host/TForm9.h"
#include "tests/support/ExamServer.h"
#include "web/server/session/SessionTable.h"

namespace {

using testing_support::HttpReply;

class VendorSiteIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        exam::UseThisServerAsVendor();
        exam::RestoreBuiltInMemo1Lines();
    }
    void TearDown() override {
        exam::UseThisServerAsVendor();
        exam::RestoreBuiltInMemo1Lines();
    }

    // The number the news page shows in the element of that id.
    std::string newsFigure(const std::string& id) {
        HttpReply news = server_.client().get("/zxtest/mshow.html");
        std::smatch found;
        std::regex figure("id=\"" + id + "\">([^<]*)<");
        return std::regex_search(news.body, found, figure) ? found[1].str() : "missing";
    }

    testing_support::ExamServer server_;
};

// The host's version check reads this server's own version text: the same version, so no
// message; the news page and the manual are this server's.
TEST_F(VendorSiteIntegrationTest, HostVersionCheckFindsNoNewerVersion) {
    std::vector<std::string> messages;
    std::vector<std::string> shown;
    std::vector<std::string> launched;
    host::TForm9Platform platform{
        [](const std::string& url, std::stop_token stop) { return host::HttpGet(url, std::move(stop)); },
        [&](const std::string& text) { messages.push_back(text); },
        [&](const std::string& url) { shown.push_back(url); },
        [&](const std::string& url) { launched.push_back(url); }};
    host::TForm9 window(server_.port(), platform);
    window.FormShow();
    window.Label3Click();

    const std::string here = "http://127.0.0.1:" + std::to_string(server_.port());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(shown, std::vector<std::string>{here + "/zxtest/mshow.html"});
    EXPECT_EQ(launched, std::vector<std::string>{here + "/zxtest/manual/"});
    EXPECT_EQ(exam::Memo1Line(0).value_or("missing"), exam::kProductVersion);
    EXPECT_EQ(exam::Memo1Line(3).value_or("missing"), "/");
    EXPECT_EQ(exam::Memo1Line(4).value_or("missing"), here + "/zxtest/up.asp");
}

TEST_F(VendorSiteIntegrationTest, SitePagesTouchNoSession) {
    std::size_t before = server_.sessions().count();
    for (const char* path : {"/zxtest/bannerkhd.html", "/home", "/zxtest/manual/", "/zxtest/testver.txt"}) {
        HttpReply reply = server_.client().get(path);
        EXPECT_EQ(reply.status, 200) << path;
        EXPECT_EQ(reply.headers.value("Set-Cookie"), "") << path;
    }
    EXPECT_EQ(server_.sessions().count(), before);
    EXPECT_EQ(server_.client().get("/zxtest/nothing.html").status, 404);
}

TEST_F(VendorSiteIntegrationTest, NewsCountsLiveSessionsAndTodaysPapers) {
    std::string sessions = newsFigure("sessions");
    EXPECT_EQ(newsFigure("papers"), "0");
    auto [id, home] = server_.startSession();
    ASSERT_FALSE(id.empty()) << home.body;
    EXPECT_EQ(newsFigure("sessions"), std::to_string(std::stoul(sessions) + 1));
    server_.client().get("/home");
    EXPECT_EQ(newsFigure("sessions"), std::to_string(std::stoul(sessions) + 1));
    // The addresses name the port this server really listens on.
    const std::string news = server_.client().get("/zxtest/mshow.html").body;
    EXPECT_NE(news.find("http://127.0.0.1:" + std::to_string(server_.port()) + "/"), std::string::npos) << news;
}

TEST_F(VendorSiteIntegrationTest, ForgedHostNeverReachesTheVersionText) {
    HttpReply forged = server_.client().raw(
        "GET /zxtest/testver.txt HTTP/1.1\r\nHost: evil.example\"><script>alert(1)</script>\r\n\r\n");
    EXPECT_EQ(forged.status, 200);
    EXPECT_EQ(forged.body.find("evil"), std::string::npos) << forged.body;
    EXPECT_NE(forged.body.find("\r\n/zxtest/manual.html\r\n/\r\n/zxtest/up.asp\r\n"), std::string::npos);
}

TEST_F(VendorSiteIntegrationTest, OversizedReviewPostGetsTheMessagePage) {
    std::string body = "testname=a&testxm=b&testcj=1&testtil=&testmemo=" + std::string(1024 * 1024, 'x');
    HttpReply reply = server_.client().post("/zxtest/up.asp", body);
    EXPECT_EQ(reply.status, 413);
    EXPECT_NE(reply.body.find("提交的答题数据超过 1 MB，无法显示。"), std::string::npos);
}

TEST_F(VendorSiteIntegrationTest, AnotherVendorLeavesThePathsToTheDispatcher) {
    exam::SetVendorAddress("http://127.0.0.1:9");
    HttpReply reply = server_.client().get("/zxtest/testver.txt");
    EXPECT_EQ(reply.body.find(std::string(exam::kProductVersion) + "\r\n"), std::string::npos) << reply.body;
}

}  // namespace
