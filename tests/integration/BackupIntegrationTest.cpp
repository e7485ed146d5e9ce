// Backups of a running server's database: the program's -backup switch while candidates
// hand in over the wire, and the exam list's backup link.

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "tests/support/DatabaseRows.h"
#include "tests/support/ExamServer.h"
#include "tests/support/PageBrowser.h"
#include "tests/support/HttpTestClient.h"
#include "web/forms/CodePage.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ExamServer;
using testing_support::HttpReply;
using testing_support::HttpTestClient;
using testing_support::PageBrowser;
using testing_support::ProgramResult;
using testing_support::RunExamServerProgram;



// Every row of `sql` on the database `file`, its columns joined by "|".
std::vector<std::string> rows(const fs::path& file, const std::string& sql) {
    return exam::db::testing::JoinedRows(file, sql);
}

// Each paper in `file` (a cj row) has an answer row for every question of the exam.
void expectCompletePapers(const fs::path& file) {
    const std::vector<std::string> questions = rows(file, "select count(*) from tm where testid=1");
    for (const std::string& name : rows(file, "select 姓名 from cj where testid=1")) {
        EXPECT_EQ(rows(file, "select count(*) from dtxb where testid=1 and xm='" + name + "'"), questions)
            << file << ": " << name;
    }
}

TEST(BackupIntegrationTest, BackupsWhileCandidatesHandInAreConsistentCopies) {
    ExamServer server;
    constexpr int kPapers = 40;
    constexpr std::size_t kMaxBackups = 20;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::atomic<int> handedIn{0};
    std::atomic<bool> done{false};
    std::thread candidates([&] {
        for (int i = 0; i < kPapers && std::chrono::steady_clock::now() < deadline; ++i) {
            PageBrowser browser = PageBrowser::Open(server.client());
            browser.click("WFGRID1", "1_1");
            browser.post({{"WFEDIT1", "candidate" + std::to_string(i)},
                          {"WF_Action", "WFBUTTON4"},
                          {"WF_ActionParam", ""}});
            if (browser.on("交卷完成")) ++handedIn;
        }
        done = true;
    });
    // Backups one after the other for as long as candidates hand in (three at least).
    std::vector<fs::path> copies;
    while ((!done || copies.size() < 3) && copies.size() < kMaxBackups) {
        copies.push_back(server.folder() / ("copy" + std::to_string(copies.size()) + ".db"));
        ProgramResult backup = RunExamServerProgram({"-backup", copies.back().string()}, server.folder());
        EXPECT_EQ(backup.exitCode, 0) << backup.err;
        EXPECT_NE(backup.out.find("integrity check ok"), std::string::npos) << backup.out;
    }
    candidates.join();
    EXPECT_EQ(handedIn.load(), kPapers);

    std::size_t previous = 0;
    for (const fs::path& copy : copies) {
        ASSERT_TRUE(fs::exists(copy)) << copy;
        EXPECT_EQ(rows(copy, "PRAGMA integrity_check"), std::vector<std::string>{"ok"}) << copy;
        expectCompletePapers(copy);
        // Later copies never hold fewer papers than earlier ones.
        const std::size_t papers = rows(copy, "select 姓名 from cj").size();
        EXPECT_GE(papers, previous) << copy;
        previous = papers;
    }
    // A copy taken after the last hand-in holds every paper.
    const fs::path last = server.folder() / "last.db";
    ASSERT_EQ(RunExamServerProgram({"-backup", last.string()}, server.folder()).exitCode, 0);
    EXPECT_EQ(rows(last, "select 姓名,成绩 from cj order by 姓名"),
              rows(server.folder() / "db1.db", "select 姓名,成绩 from cj order by 姓名"));
    EXPECT_EQ(rows(last, "select count(*) from cj"), std::vector<std::string>{std::to_string(kPapers)});
}

TEST(BackupIntegrationTest, BackupRefusesAnExistingFileAndSaysSo) {
    ExamServer server;
    const fs::path existing = server.folder() / "keep.db";
    std::ofstream(existing) << "keep";
    ProgramResult backup = RunExamServerProgram({"-backup", existing.string()}, server.folder());
    EXPECT_EQ(backup.exitCode, 1);
    EXPECT_NE(backup.err.find("already exists; a backup never overwrites a file."), std::string::npos)
        << backup.err;
    EXPECT_EQ(fs::file_size(existing), 4u);
}

TEST(BackupIntegrationTest, ExamListLinkDownloadsACheckedCopyNamedWithTheTime) {
    ExamServer server;
    PageBrowser list = PageBrowser::Open(server.client());
    list.click("WFLINK1");
    list.click("WFBUTTON1", "", {{"WFEDIT1", "pw"}});
    ASSERT_TRUE(list.on("考试列表"));
    ASSERT_NE(list.page.body.find(ExamServer::pageText("【备份数据】")), std::string::npos);

    list.click("WFLINK10");
    ASSERT_TRUE(list.on("考试列表"));
    const std::string script = "window.location.href='";
    const std::size_t at = list.page.body.find(script);
    ASSERT_NE(at, std::string::npos) << list.page.body.substr(0, 400);
    const std::size_t start = at + script.size();
    const std::string address = list.page.body.substr(start, list.page.body.find('\'', start) - start);
    ASSERT_EQ(address.rfind("/Cache/user/" + list.id + "/BAK", 0), 0u) << address;

    HttpReply download = server.client().get(address);
    ASSERT_EQ(download.status, 200);
    EXPECT_EQ(download.headers.value("Content-Type"), "application/vnd.sqlite3");
    const std::string disposition = download.headers.value("Content-Disposition");
    EXPECT_EQ(disposition.rfind("attachment; filename=\"db1-", 0), 0u) << disposition;
    EXPECT_EQ(disposition.size(), std::string("attachment; filename=\"db1-20261210-153012.db\"").size())
        << disposition;

    const fs::path saved = server.folder() / "saved.db";
    std::ofstream(saved, std::ios::binary) << download.body;
    EXPECT_EQ(rows(saved, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    for (const char* sql :
         {"select id,考试名称 from test", "select id,题目,答案 from tm", "select setz from shezhi"}) {
        EXPECT_EQ(rows(saved, sql), rows(server.folder() / "db1.db", sql)) << sql;
    }
}

}  // namespace
