#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/TWFServerController.h"
#include "app/db/Database.h"
#include "app/db/Schema.h"
#include "tests/support/HttpTestClient.h"
#include "tests/support/RuntimeFixture.h"
#include "web/forms/CodePage.h"
#include "web/server/TWFStandAloneServer.h"

namespace {

using testing_support::HttpReply;
using testing_support::HttpTestClient;

// The exam application on a loopback port, working in a fresh folder that holds db1.db.
class ExamServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing_support::MakeTemporaryFolder("examserver");
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
        exam::db::InitDatabase(std::string(exam::db::kDatabaseFileName), {std::string("pw"), true});
        exam::RegisterExamApplication();
        web::TWFStandAloneServer::Options options;
        options.port = 0;
        options.bindIP = "127.0.0.1";
        options.programFolder = folder_.string() + "/";
        server_ = std::make_unique<web::TWFStandAloneServer>(options);
        client_ = std::make_unique<HttpTestClient>(server_->Port());
    }

    void TearDown() override {
        server_.reset();
        web::RegisterServerController(nullptr);
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }

    // Opens the start address and posts the window size: the session's first page.
    std::pair<std::string, HttpReply> startSession() {
        HttpReply probe = client_->get("/");
        std::size_t at = probe.body.find("/EXEC/0/");
        if (at == std::string::npos) return {"", probe};
        std::string id = probe.body.substr(at + 8, 28);
        return {id, client_->post("/EXEC/0/" + id, "WF_width=1000&WF_height=700")};
    }

    static std::string pageText(const std::string& text) { return web::forms::EncodeForCharset(text, "gb2312"); }

    std::filesystem::path folder_;
    std::filesystem::path previous_;
    std::unique_ptr<web::TWFStandAloneServer> server_;
    std::unique_ptr<HttpTestClient> client_;
};

TEST_F(ExamServerTest, MissingDatabaseFailsNewSessionsWhileOpenOnesGoOn) {
    auto [id, home] = startSession();
    ASSERT_FALSE(id.empty()) << home.body;
    EXPECT_EQ(home.status, 200);
    EXPECT_NE(home.body.find(pageText("<title>首页---栎川考试系统</title>")), std::string::npos);

    std::filesystem::rename(std::string(exam::db::kDatabaseFileName), "moved.db");
    HttpReply refused = client_->get("/");
    EXPECT_EQ(refused.body.find("/EXEC/0/"), std::string::npos) << refused.body;
    EXPECT_NE(refused.body.find("db1.db"), std::string::npos) << refused.body;

    HttpReply again = client_->post("/EXEC/1/" + id, "WF_Action=&WF_ActionParam=");
    EXPECT_EQ(again.status, 200);
    EXPECT_NE(again.body.find(pageText("<title>首页---栎川考试系统</title>")), std::string::npos);
}

}  // namespace
