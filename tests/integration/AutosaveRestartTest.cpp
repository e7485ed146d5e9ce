// Candidates answer, the server process is killed with SIGKILL and started again on the
// same folder: every page still open comes back with its answers, and hands in.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/db/Database.h"
#include "app/db/Schema.h"
#include "app/db/Query.h"
#include "tests/support/DatabaseRows.h"
#include "tests/support/ExamServer.h"
#include "tests/support/PageBrowser.h"
#include "tests/support/HttpTestClient.h"
#include "tests/support/RuntimeFixture.h"
#include "web/forms/CodePage.h"

namespace {

using testing_support::HttpReply;
using testing_support::HttpTestClient;
using Fields = std::vector<std::pair<std::string, std::string>>;

std::string gb(const std::string& text) {
    return web::forms::EncodeForCharset(text, "gb2312");
}


// The program serving one folder until it is killed.
class ServerProcess {
public:
    explicit ServerProcess(const std::filesystem::path& folder) {
        int out[2];
        if (pipe(out) != 0) return;
        std::vector<std::string> all{
            testing_support::ExamServerProgram(), "-headless", "-port", "0", "-bind", "127.0.0.1"};
        std::vector<char*> argv;
        for (std::string& arg : all) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string errors = (folder / "server.err").string();
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            if (err >= 0) dup2(err, 2);
            close(out[0]);
            if (chdir(folder.c_str()) != 0) _exit(126);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        readPort();
    }
    ~ServerProcess() {
        kill9();
        if (out_ >= 0) close(out_);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int port() const { return port_; }
    void kill9() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    void readPort() {
        const std::string marker = "listening on port ";
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd fd{out_, POLLIN, 0};
            if (poll(&fd, 1, 200) <= 0) continue;
            char buffer[512];
            const ssize_t got = read(out_, buffer, sizeof buffer);
            if (got <= 0) return;
            text.append(buffer, static_cast<std::size_t>(got));
            const std::size_t at = text.find(marker);
            if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
                port_ = std::stoi(text.substr(at + marker.size()));
                return;
            }
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = 0;
};

// One browser: it posts to the page address it was last given, on whichever server runs.
struct Browser : testing_support::PageBrowser {
    HttpReply click(const HttpTestClient& server, const std::string& control, const std::string& parameter = "",
                    Fields values = {}) {
        client = &server;
        return PageBrowser::click(control, parameter, std::move(values));
    }
    // The question shown in the question box.
    std::string question() const {
        const std::size_t open = page.body.find("<textarea name=\"WFMEMO1\"");
        if (open == std::string::npos) return "";
        const std::size_t start = page.body.find('>', open) + 1;
        return page.body.substr(start, page.body.find("</textarea>", start) - start);
    }
};

Browser openHome(const HttpTestClient& client) {
    return {testing_support::PageBrowser::Open(client)};
}

// A candidate's work: the posts after opening the exam, what is shown when the server is
// back, and the answers stored by question id 1 to 6 after the hand-in.
struct Candidate {
    std::string name;
    std::vector<std::pair<std::string, Fields>> posts;  // action (and its parameter after ':'), values
    const char* shownQuestion;
    const char* progress;
    std::vector<std::string> stored;
};

class AutosaveRestartTest : public ::testing::Test {
protected:
    AutosaveRestartTest() : folder_(testing_support::MakeTemporaryFolder("autosave-restart")) {
        exam::db::InitDatabase(folder_ / "db1.db", {std::string("pw"), true});
        // The questions in stored order (ids 1 to 6), so the test knows where each one is.
        exec("UPDATE test SET set3=1");
    }
    ~AutosaveRestartTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    void exec(const std::string& sql) {
        exam::db::Database db(folder_ / "db1.db");
        exam::db::Query statement(db);
        statement.SQL().Add(sql);
        statement.ExecSQL();
    }
    // The first (here: only) column of each row.
    std::vector<std::string> column(const std::string& sql) {
        return exam::db::testing::JoinedRows(folder_ / "db1.db", sql);
    }

    std::filesystem::path folder_;
};

TEST_F(AutosaveRestartTest, PagesOpenOverAKillComeBackWithTheirAnswersAndHandIn) {
    // The sample exam: two single-choice, two multiple-choice, two true/false questions.
    const std::vector<Candidate> candidates{
        {"Cand0",
         {{"WFBUTTON2", {{"WFRADIOGROUP1_INPUT", "1"}}},
          {"WFBUTTON2", {{"WFRADIOGROUP1_INPUT", "2"}, {"WFEDIT1", "Cand0"}}}},
         "下列动物中，哪些是哺乳动物？",
         "已答 2 / 6 题",
         {"B", "C", "", "", "", ""}},
        {"Cand1",
         {{"WFBUTTON2", {{"WFRADIOGROUP1_INPUT", "0"}}},
          {"WFBUTTON2", {}},
          {"WFBUTTON2", {{"XA_CHECKBOX", "on"}, {"XC_CHECKBOX", "on"}, {"XE_CHECKBOX", "on"}}},
          {"WFLINK1", {{"WFEDIT1", "Cand1"}}}},
         "下列哪些属于我国古代的四大发明？",
         "已答 2 / 6 题",
         {"A", "", "ACE", "", "", ""}},
        {"Cand2",
         {{"WFGRID1:4_0", {{"WFRADIOGROUP1_INPUT", "3"}, {"WFEDIT1", "Cand2"}}},
          {"WFBUTTON2", {{"WFRADIOGROUP1_INPUT", "0"}}}},
         "月亮自己会发光。",
         "已答 2 / 6 题",
         {"D", "", "", "", "A", ""}},
    };
    std::vector<Browser> browsers;
    Browser onHome;
    {
        ServerProcess server(folder_);
        ASSERT_NE(server.port(), 0);
        HttpTestClient client(server.port());
        for (const Candidate& candidate : candidates) {
            Browser browser = openHome(client);
            browser.click(client, "WFGRID1", "1_1");
            ASSERT_TRUE(browser.shows("考试页面---栎川考试系统")) << candidate.name;
            for (const auto& [action, values] : candidate.posts) {
                const std::size_t colon = action.find(':');
                browser.click(client, action.substr(0, colon),
                              colon == std::string::npos ? "" : action.substr(colon + 1), values);
            }
            ASSERT_TRUE(browser.shows(candidate.progress)) << candidate.name;
            browsers.push_back(browser);
        }
        onHome = openHome(client);
        server.kill9();
    }

    ServerProcess again(folder_);
    ASSERT_NE(again.port(), 0);
    HttpTestClient client(again.port());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& candidate = candidates[i];
        Browser& browser = browsers[i];
        // The last candidate's page sends its keep-alive first: that brings the session
        // back, so the click that follows has a stale track and gets the resync warning.
        const bool pinged = i == candidates.size() - 1;
        if (pinged) {
            EXPECT_EQ(client.get("/PING/" + browser.id).status, 200);
        }
        // The click is not replayed: the page comes back as it was left.
        browser.click(client, "WFBUTTON2", "", {{"WFRADIOGROUP1_INPUT", "1"}});
        EXPECT_EQ(browser.shows("You have attempted to post or refresh data"), pinged) << candidate.name;
        EXPECT_EQ(browser.page.status, 200) << candidate.name;
        EXPECT_TRUE(browser.shows("window.alert(\"服务器已重新启动，您的答题已恢复，请继续答题。\")"))
            << candidate.name;
        EXPECT_TRUE(browser.shows(candidate.progress)) << candidate.name;
        EXPECT_NE(browser.question().find(gb(candidate.shownQuestion)), std::string::npos)
            << browser.question();
        EXPECT_NE(browser.page.body.find("value=\"" + candidate.name + "\""), std::string::npos)
            << candidate.name;
        EXPECT_EQ(browser.track, 0) << candidate.name;
    }
    // A page that kept no answers gets the expired-session page, as before.
    onHome.click(client, "WFLINK1");
    EXPECT_EQ(onHome.page.status, 500);

    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& candidate = candidates[i];
        browsers[i].click(client, "WFBUTTON4", "", {{"WFEDIT1", candidate.name}});
        EXPECT_TRUE(browsers[i].shows("交卷完成---栎川考试系统")) << candidate.name;
        EXPECT_EQ(column("select zd from dtxb where xm='" + candidate.name + "' order by tmid"),
                  candidate.stored)
            << candidate.name;
    }
    EXPECT_EQ(column("select count(*) from cj"), std::vector<std::string>{"3"});
}

}  // namespace
