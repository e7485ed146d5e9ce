#include <gtest/gtest.h>

#include <filesystem>

#include "app/db/Database.h"
#include "tests/support/ExamServer.h"
#include "tests/support/HttpTestClient.h"

namespace {

using testing_support::HttpReply;
using testing_support::HttpTestClient;

class ExamServerTest : public ::testing::Test {
protected:
    std::pair<std::string, HttpReply> startSession() { return server_.startSession(); }
    static std::string pageText(const std::string& text) {
        return testing_support::ExamServer::pageText(text);
    }

    testing_support::ExamServer server_;
    HttpTestClient* client_ = &server_.client();
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

namespace {

std::size_t openDescriptors() {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

// Sessions share the database's connections: a thousand sessions left on the home page
// hold no file of their own.
TEST_F(ExamServerTest, IdleSessionsHoldNoDescriptor) {
    ASSERT_FALSE(startSession().first.empty());
    const std::size_t before = openDescriptors();
    for (int i = 0; i < 1000; ++i) {
        auto [id, home] = startSession();
        ASSERT_FALSE(id.empty()) << "session " << i << ": " << home.body;
    }
    EXPECT_LE(openDescriptors(), before + 8);
}

}  // namespace
