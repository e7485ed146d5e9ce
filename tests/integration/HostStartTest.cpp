#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/TWFServerController.h"
#include "app/db/Database.h"
#include "tests/support/ExamServer.h"
#include "tests/support/HttpTestClient.h"
#include "tests/support/RuntimeFixture.h"
#include "web/server/TWFStandAloneServer.h"

namespace {

namespace fs = std::filesystem;

// What the program wrote and how it ended (-1: still running when the time was up).
struct ProgramRun {
    std::string out;
    std::string err;
    int exitCode = -1;
};

constexpr uid_t kNobody = 65534;

// Runs `program` with `args` in `folder`, as the user nobody when asked (the test runs as
// root there), until it ends or `until` appears on its standard output; then it is
// stopped with SIGTERM. At most ten seconds.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const fs::path& folder, bool asNobody, const std::string& until = "") {
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        if (chdir(folder.c_str()) != 0) _exit(126);
        if (asNobody && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(125);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    ProgramRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool outOpen = true;
    bool errOpen = true;
    bool stopped = false;
    while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        if (poll(fds, 2, 200) <= 0) continue;
        char buffer[4096];
        for (int i = 0; i < 2; ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
                continue;
            }
            (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(got));
        }
        if (!stopped && !until.empty() && run.out.find(until) != std::string::npos) {
            kill(child, SIGTERM);
            stopped = true;
        }
    }
    if (outOpen || errOpen) kill(child, SIGKILL);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!stopped && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

// Whether a program of this user is refused port 89, and so whether it must run as nobody.
enum class Refusal { AsThisUser, AsNobody, Never };

Refusal lowPortRefusal() {
    std::ifstream file("/proc/sys/net/ipv4/ip_unprivileged_port_start");
    int first = 1024;
    file >> first;
    if (first <= 89) return Refusal::Never;
    return geteuid() == 0 ? Refusal::AsNobody : Refusal::AsThisUser;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class HostStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing_support::MakeTemporaryFolder("hoststart");
        // The program runs from a copy beside which the test may put a port.ini; the user
        // nobody must be able to enter the folder and run the copy.
        fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
        program_ = folder_ / "examserver";
        fs::copy_file(EXAMSERVER_PROGRAM, program_);
    }

    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
    fs::path program_;
};

TEST_F(HostStartTest, RefusedLowPortIsReportedAsAPermissionWithTheWaysToMendIt) {
    const Refusal refusal = lowPortRefusal();
    if (refusal == Refusal::Never) GTEST_SKIP() << "this system lets every user listen on port 89";
    ProgramRun run = runProgram(program_, {"-headless", "-port", "89", "-bind", "127.0.0.1"}, folder_,
                                refusal == Refusal::AsNobody);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(contains(run.err,
                         "The server could not start on port 89: Could not bind socket. Permission denied "
                         "for port 89: ports below 1024 need the right to bind them.\n"))
        << run.err;
    EXPECT_TRUE(contains(run.err, "-port and a port from 1024 up")) << run.err;
    EXPECT_TRUE(contains(run.err, "AmbientCapabilities=CAP_NET_BIND_SERVICE")) << run.err;
    EXPECT_FALSE(contains(run.err, "already in use")) << run.err;
}

TEST_F(HostStartTest, PortInUseIsReportedAsInUse) {
    const int taken = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(taken, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(listen(taken, 1), 0);
    socklen_t length = sizeof local;
    getsockname(taken, reinterpret_cast<sockaddr*>(&local), &length);
    const std::string port = std::to_string(ntohs(local.sin_port));
    ProgramRun run = runProgram(program_, {"-headless", "-port", port, "-bind", "127.0.0.1"}, folder_, false);
    close(taken);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(contains(run.err, "The server could not start on port " + port +
                                      ": Could not bind socket. Address and port are already in use.\n"))
        << run.err;
    EXPECT_TRUE(contains(run.err, "Another program")) << run.err;
}

// A port.ini that gives no port is reported with the form it should have, and the
// default port 89 is tried (never a port the system picks). As a user who may not
// listen on 89, the attempt ends with the permission report for port 89.
TEST_F(HostStartTest, PortIniWithoutAPortIsReportedAndTheDefaultPortTried) {
    const Refusal refusal = lowPortRefusal();
    if (refusal == Refusal::Never) GTEST_SKIP() << "port 89 would really be taken on this system";
    for (const char* content : {"18097\n", "port=18097\n", "[PORTS]\nPort=http\n", "[PORTS]\nPort=70000\n"}) {
        std::ofstream(folder_ / "port.ini") << content;
        ProgramRun run =
            runProgram(program_, {"-headless", "-bind", "127.0.0.1"}, folder_, refusal == Refusal::AsNobody);
        EXPECT_TRUE(contains(run.err, (folder_ / "port.ini").string() +
                                          " gives no port; it should read\n[PORTS]\nPort=8089\n"))
            << content << run.err;
        EXPECT_TRUE(contains(run.err, "The default port 89 is used.\n")) << content << run.err;
        EXPECT_TRUE(contains(run.err, "The server could not start on port 89: ")) << content << run.err;
        EXPECT_EQ(run.exitCode, 1) << content;
    }
}

TEST_F(HostStartTest, PortIniWithAPortIsUsedWithoutAWord) {
    std::ofstream(folder_ / "port.ini") << "[PORTS]\nPort=0\n";
    ProgramRun run =
        runProgram(program_, {"-headless", "-bind", "127.0.0.1"}, folder_, false, "listening on port");
    EXPECT_TRUE(contains(run.out, "Exam server listening on port ")) << run.out << run.err;
    EXPECT_FALSE(contains(run.err, "port.ini")) << run.err;
}

TEST_F(HostStartTest, MissingDatabaseIsSaidAtStartAndTheServerStillStarts) {
    ProgramRun run = runProgram(program_, {"-headless", "-port", "0", "-bind", "127.0.0.1"}, folder_, false,
                                "listening on port");
    EXPECT_TRUE(contains(run.err, "Warning: there is no db1.db in " + folder_.string() +
                                      ". The server starts, but every candidate gets an error page until it "
                                      "exists; create it with -initdb"))
        << run.err;
    EXPECT_TRUE(contains(run.out, "Exam server listening on port ")) << run.out;
}

// The exam server with its shipped error template beside it, and no database.
class ShippedErrorTemplateTest : public ::testing::Test {
protected:
    static testing_support::ExamServerOptions withTemplates() {
        testing_support::ExamServerOptions options;
        options.createDatabase = false;
        options.prepareFolder = [](const fs::path& folder) {
            fs::copy(APP_TEMPLATES_DIR, folder / "Templates", fs::copy_options::recursive);
        };
        return options;
    }

    testing_support::ExamServer server_{withTemplates()};
    testing_support::HttpTestClient* client_ = &server_.client();
};

TEST_F(ShippedErrorTemplateTest, ExpiredSessionAndMissingDatabaseGetTheChinesePage) {
    struct Case {
        std::string path;
        const char* kind;
        const char* message;
    };
    for (const Case& c : {Case{"/EXEC/3/abcdefghijklmnopqrstuvwxyz01", "expired",
                               "Session not found. Session may have expired."},
                          Case{"/", "error", "db1.db"}}) {
        const std::string agent = std::string("User-Agent: ") + testing_support::kChromeAgent + "\r\n";
        testing_support::HttpReply reply =
            c.path == "/" ? client_->get(c.path, agent) : client_->post(c.path, "", agent);
        EXPECT_EQ(reply.status, 500) << c.path;
        EXPECT_EQ(reply.headers.value("Content-Type"), "text/html; charset=utf-8") << c.path;
        EXPECT_TRUE(contains(reply.body, "<body class=\"" + std::string(c.kind) + "\">")) << reply.body;
        EXPECT_TRUE(contains(reply.body, "<h1 class=\"for-expired\">页面已失效</h1>"));
        EXPECT_TRUE(contains(reply.body, "<h1 class=\"for-error\">系统错误</h1>"));
        EXPECT_TRUE(contains(reply.body, "<a class=\"home\" href=\"/\">返回首页</a>"));
        EXPECT_TRUE(contains(reply.body, "<span id=\"message\">")) << reply.body;
        EXPECT_TRUE(contains(reply.body, c.message)) << reply.body;
        EXPECT_FALSE(contains(reply.body, "{%")) << reply.body;
    }
}

}  // namespace

namespace {

TEST_F(HostStartTest, EveryInterfaceAddressIsPrintedWithThePort) {
    ProgramRun run =
        runProgram(program_, {"-headless", "-port", "0"}, folder_, false, "\n  http://127.0.0.1:");
    const std::string listening = "Exam server listening on port ";
    const std::size_t at = run.out.find(listening);
    ASSERT_NE(at, std::string::npos) << run.out << run.err;
    const std::string port =
        run.out.substr(at + listening.size(), run.out.find('\n', at) - at - listening.size());
    const std::size_t list = run.out.find("Candidates can open:\n");
    ASSERT_NE(list, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  http://127.0.0.1:" + port + "/\n", list), std::string::npos) << run.out;
    // Other interfaces, if any, come before the loopback address, in the same form.
    for (std::size_t line = run.out.find("\n  ", list); line != std::string::npos;
         line = run.out.find("\n  ", line + 1)) {
        const std::string entry = run.out.substr(line + 3, run.out.find('\n', line + 1) - line - 3);
        EXPECT_EQ(entry.rfind("http://", 0), 0u) << entry;
        EXPECT_NE(entry.find(":" + port + "/"), std::string::npos) << entry;
    }
}

}  // namespace
