#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "tests/support/ExamServer.h"
#include "tests/support/RuntimeFixture.h"

namespace {

using testing_support::ExamServer;
using testing_support::HttpReply;
using testing_support::ProgramResult;
using testing_support::RunExamServerProgram;

const std::string kExamList = ExamServer::pageText("<title>考试列表---栎川考试系统</title>");
const std::string kWrongPassword = ExamServer::pageText("密码错误！");

std::string storedPassword(const std::filesystem::path& folder) {
    exam::db::Database db(folder / exam::db::kDatabaseFileName);
    exam::db::Query query(db);
    query.SQL().Add("select setz from shezhi where setx='pass'");
    query.Open();
    return query.FieldByName("setz").AsString();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(PasswordResetTest, ResetWhileTheServerRunsTakesEffectAtTheNextLogin) {
    ExamServer server;
    ASSERT_TRUE(contains(server.logIn("pw").body, kExamList));

    ProgramResult reset =
        RunExamServerProgram({"-resetpassword", "-password", "new secret"}, server.folder());
    EXPECT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_EQ(reset.out, "管理密码已重置\n");

    EXPECT_TRUE(contains(server.logIn("new secret").body, kExamList));
    HttpReply old = server.logIn("pw");
    EXPECT_FALSE(contains(old.body, kExamList));
    EXPECT_TRUE(contains(old.body, kWrongPassword));
}

struct Refusal {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;
};

TEST(PasswordResetTest, RefusalsLeaveThePasswordAsItWas) {
    ExamServer server;
    const std::vector<Refusal> refusals{
        {{"-password", "x"}, 2, "-password is only used with -initdb (create db1.db) or -resetpassword"},
        {{"-initdb", "-resetpassword", "-password", "x"}, 2, "Use -initdb (create db1.db) or -resetpassword"},
        {{"-resetpassword"}, 2, "without one, give it with -password TEXT"},
        {{"-resetpassword", "-password", " padded"}, 1, "must not start or end with a blank"},
        {{"-resetpassword", "-password", "padded "}, 1, "must not start or end with a blank"},
        {{"-resetpassword", "-password", ""}, 1, "must not be empty"},
    };
    for (const Refusal& refusal : refusals) {
        ProgramResult result = RunExamServerProgram(refusal.arguments, server.folder());
        EXPECT_EQ(result.exitCode, refusal.exitCode) << refusal.arguments.back();
        EXPECT_TRUE(contains(result.err, refusal.message)) << result.err;
        EXPECT_FALSE(contains(result.out, "管理密码已重置"));
    }
    EXPECT_EQ(storedPassword(server.folder()), "pw");
}

TEST(PasswordResetTest, AMissingDatabaseIsNotCreated) {
    std::filesystem::path empty = testing_support::MakeTemporaryFolder("nodb");
    ProgramResult result = RunExamServerProgram({"-resetpassword", "-password", "x"}, empty);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(contains(result.err, "the database file does not exist: db1.db")) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(empty));
    std::filesystem::remove_all(empty);
}

// The program on a pseudo-terminal, as an administrator at the machine runs it.
class TerminalRun {
public:
    explicit TerminalRun(const std::filesystem::path& folder) {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            if (chdir(folder.c_str()) != 0) _exit(127);
            std::string program = testing_support::ExamServerProgram();
            execl(program.c_str(), program.c_str(), "-resetpassword", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TerminalRun() {
        if (master_ >= 0) close(master_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }

    bool started() const { return pid_ > 0; }

    // Reads what the program shows until `text` has appeared (at most five seconds).
    bool waitFor(const std::string& text) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!contains(screen_, text) && std::chrono::steady_clock::now() < deadline) {
            if (!readSome()) break;
        }
        return contains(screen_, text);
    }
    void type(const std::string& line) {
        std::string keys = line + "\n";
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Reads to the end and returns the exit code.
    int finish() {
        while (readSome()) {
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& screen() const { return screen_; }

private:
    bool readSome() {
        pollfd ready{master_, POLLIN, 0};
        if (poll(&ready, 1, 5000) <= 0) return false;
        char buffer[256];
        ssize_t got = read(master_, buffer, sizeof buffer);
        if (got <= 0) return false;
        screen_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    int master_ = -1;
    pid_t pid_ = -1;
    std::string screen_;
};

TEST(PasswordResetTest, TheTerminalPromptAsksTwiceWithoutEcho) {
    ExamServer server;
    {
        TerminalRun run(server.folder());
        ASSERT_TRUE(run.started());
        ASSERT_TRUE(run.waitFor("新管理密码：")) << run.screen();
        run.type("typed-secret");
        ASSERT_TRUE(run.waitFor("再输入一次：")) << run.screen();
        run.type("typed-secret");
        EXPECT_EQ(run.finish(), 0) << run.screen();
        EXPECT_TRUE(contains(run.screen(), "管理密码已重置"));
        EXPECT_FALSE(contains(run.screen(), "typed-secret")) << run.screen();
    }
    EXPECT_EQ(storedPassword(server.folder()), "typed-secret");

    TerminalRun mismatch(server.folder());
    ASSERT_TRUE(mismatch.waitFor("新管理密码："));
    mismatch.type("one");
    ASSERT_TRUE(mismatch.waitFor("再输入一次："));
    mismatch.type("other");
    EXPECT_EQ(mismatch.finish(), 1);
    EXPECT_TRUE(contains(mismatch.screen(), "两次输入的密码不一致，管理密码未改变。"));
    EXPECT_EQ(storedPassword(server.folder()), "typed-secret");
}

}  // namespace
