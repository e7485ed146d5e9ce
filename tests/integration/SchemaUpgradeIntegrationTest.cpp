#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Schema.h"
#include "tests/support/RuntimeFixture.h"
#include "tests/support/VersionOneSchema.h"

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    std::string out;
    std::string err;
    int exitCode = -1;  // -1: stopped by the test once it listened
};

// Runs the program in `folder` until it ends or prints that it listens (then SIGTERM);
// at most ten seconds.
ProgramRun runServer(const fs::path& folder) {
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        if (chdir(folder.c_str()) != 0) _exit(126);
        execl(EXAMSERVER_PROGRAM, EXAMSERVER_PROGRAM, "-headless", "-port", "0", "-bind", "127.0.0.1",
              nullptr);
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    ProgramRun run;
    bool stopped = false;
    int open = 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        if (poll(fds, 2, 200) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                close(i == 0 ? out[0] : err[0]);
                (i == 0 ? out[0] : err[0]) = -1;
                --open;
                continue;
            }
            (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(got));
        }
        if (!stopped && run.out.find("listening on port") != std::string::npos) {
            kill(child, SIGTERM);
            stopped = true;
        }
    }
    if (open > 0) kill(child, SIGKILL);
    for (int fd : {out[0], err[0]}) {
        if (fd >= 0) close(fd);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!stopped && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

void exec(exam::db::Database& db, std::string_view sql) {
    exam::db::Query query(db);
    query.SQL().SetText(sql);
    query.ExecSQL();
}

std::vector<std::string> rows(exam::db::Database& db, std::string_view sql) {
    exam::db::Query query(db);
    query.SQL().SetText(sql);
    query.Open();
    std::vector<std::string> all;
    for (query.First(); !query.Eof(); query.Next()) {
        std::string row;
        for (int i = 0; i < query.FieldCount(); ++i) row += (i > 0 ? "|" : "") + query.Fields(i).AsString();
        all.push_back(row);
    }
    return all;
}

std::vector<std::string> everyRow(exam::db::Database& db) {
    std::vector<std::string> all;
    for (const char* sql :
         {"select id,考试名称,考试标识,set1,set2,set3,set4,set5,wid from test order by id",
          "select id,testid,wid,题型,题目,候选项,答案,分数 from tm order by id",
          "select testid,ip,姓名,成绩,考试标识,提交时间 from cj order by rowid",
          "select testid,tmid,xm,zd,考试标识 from dtxb order by rowid", "select setx,setz from shezhi"}) {
        for (std::string& row : rows(db, sql)) all.push_back(std::move(row));
    }
    return all;
}

class SchemaUpgradeIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing_support::MakeTemporaryFolder("upgrade");
        std::fclose(std::fopen(file().c_str(), "w"));
        exam::db::Database db(file());
        for (std::string_view statement : testing_support::kVersionOneSchema) exec(db, statement);
        exec(db, "INSERT INTO shezhi (setx,setz) VALUES ('pass','old secret')");
        exec(db, "INSERT INTO test (考试名称,考试标识,set4) VALUES ('期中','一班',1), ('期末',NULL,0)");
        exec(db,
             "INSERT INTO tm (testid,wid,题型,题目,候选项,答案,分数) VALUES "
             "(1,NULL,'单选题','题一'||char(13,10),"
             "'A.甲'||char(13,10)||'B.乙'||char(13,10),'B',2.5), (1,7,'多选题','题二','','ACD',1)");
        exec(db,
             "INSERT INTO cj (testid,ip,姓名,成绩,考试标识,提交时间) VALUES (1,'10.0.0.7','张三',2.5,'一班',"
             "'2026-05-01 10:00:00'), (1,'10.0.0.8','O''Brien',0,'','2026-05-01 10:05:00')");
        exec(db,
             "INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (1,1,'张三','B','一班'), "
             "(1,2,'张三','AC','一班'),"
             " (1,1,'O''Brien','','')");
        before_ = everyRow(db);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path file() const { return folder_ / "db1.db"; }

    fs::path folder_;
    std::vector<std::string> before_;
};

TEST_F(SchemaUpgradeIntegrationTest, StartUpgradesThePreviousVersionsFileAndKeepsEveryRow) {
    ASSERT_EQ(before_.size(), 10u);
    const ProgramRun first = runServer(folder_);
    EXPECT_NE(
        first.out.find("Updated db1.db to database version " + std::to_string(exam::db::kSchemaVersion)),
        std::string::npos)
        << first.out << first.err;
    EXPECT_NE(first.out.find("listening on port"), std::string::npos) << first.err;

    exam::db::Database db(file());
    EXPECT_EQ(rows(db, "PRAGMA user_version"),
              std::vector<std::string>{std::to_string(exam::db::kSchemaVersion)});
    EXPECT_EQ(everyRow(db), before_);
    EXPECT_EQ(rows(db, "select 考试时限 from test"), (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(rows(db, "select 自动交卷 from cj"), (std::vector<std::string>{"0", "0"}));
    db.Close();

    // Once up to date the file is not touched again.
    const ProgramRun second = runServer(folder_);
    EXPECT_EQ(second.out.find("Updated db1.db"), std::string::npos) << second.out;
    EXPECT_NE(second.out.find("listening on port"), std::string::npos) << second.err;
}

TEST_F(SchemaUpgradeIntegrationTest, NewerFileIsRefusedWithAClearMessageAndLeftAsItIs) {
    {
        exam::db::Database db(file());
        exec(db, "PRAGMA user_version=" + std::to_string(exam::db::kSchemaVersion + 1));
    }
    const ProgramRun run = runServer(folder_);
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_EQ(run.out.find("listening on port"), std::string::npos);
    EXPECT_NE(run.err.find("Could not open db1.db: db1.db was written by a newer version of this program"),
              std::string::npos)
        << run.err;
    exam::db::Database db(file());
    EXPECT_EQ(everyRow(db), before_);
    EXPECT_EQ(rows(db, "PRAGMA user_version"),
              std::vector<std::string>{std::to_string(exam::db::kSchemaVersion + 1)});
}

}  // namespace
