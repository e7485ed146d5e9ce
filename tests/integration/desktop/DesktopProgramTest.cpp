#if EXAM_DESKTOP_WINDOW

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/desktop/XvfbDisplay.h"
#include "tests/support/ExamServer.h"
#include "tests/support/HttpTestClient.h"
#include "tests/support/RuntimeFixture.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kCaption = "栎川在线(Web site)考试系统  V 1.0";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The exam server program running in a folder of its own on `display`, with its output
// in files there; ended with SIGKILL if a test leaves it running.
class RunningProgram {
public:
    RunningProgram(std::vector<std::string> arguments, const std::string& display)
        : folder_(testing_support::MakeTemporaryFolder("desktop")) {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            std::string line = *entry;
            if (!line.starts_with("DISPLAY=") && !line.starts_with("WAYLAND_DISPLAY="))
                environment.push_back(line);
        }
        environment.push_back("DISPLAY=" + display);
        std::vector<std::string> words{testing_support::ExamServerProgram()};
        words.insert(words.end(), arguments.begin(), arguments.end());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, (folder_ / "out").c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (folder_ / "err").c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addchdir_np(&actions, folder_.c_str());
        int spawned = posix_spawn(&pid_, words[0].c_str(), &actions, nullptr, pointers(words).data(),
                                  pointers(environment).data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) throw std::runtime_error("cannot start the exam server");
    }

    ~RunningProgram() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    std::string out() const { return readFile(folder_ / "out"); }
    std::string err() const { return readFile(folder_ / "err"); }

    // Waits for `text` on standard output (or error); whether it came.
    bool waitFor(const std::string& text, bool onError = false, std::chrono::milliseconds limit = 20s) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while ((onError ? err() : out()).find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }

    // The port from "Exam server listening on port N", 0 when it never came.
    int port() const {
        const std::string listening = "Exam server listening on port ";
        if (!waitFor(listening + "")) return 0;
        const std::string text = out();
        return std::stoi(text.substr(text.find(listening) + listening.size()));
    }

    void signal(int number) const { kill(pid_, number); }
    pid_t pid() const { return pid_; }

    // The exit status, or -1 when it did not end within the limit.
    int waitForExit(std::chrono::milliseconds limit = 20s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }

private:
    static std::vector<char*> pointers(std::vector<std::string>& words) {
        std::vector<char*> list;
        for (std::string& word : words) list.push_back(word.data());
        list.push_back(nullptr);
        return list;
    }

    fs::path folder_;
    pid_t pid_ = -1;
};

bool serves(int port) {
    try {
        return testing_support::HttpTestClient(port).get("/").answered;
    } catch (const std::exception&) {
        return false;
    }
}

const std::vector<std::string> kServerArguments{"-initdb", "-demo", "-password", "pw",
                                                "-port",   "0",     "-bind",     "127.0.0.1"};

std::vector<std::string> with(std::vector<std::string> extra) {
    std::vector<std::string> all = kServerArguments;
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

// The window is closed as the window manager's close button does; with no exam running
// the server stops and the program ends.
TEST(DesktopProgramTest, WindowOpensOnTheDisplayAndClosingItStopsTheServer) {
    testing_support::XvfbDisplay display;
    ASSERT_FALSE(display.name().empty());
    RunningProgram program(kServerArguments, display.name());
    const int port = program.port();
    ASSERT_NE(port, 0) << program.err();
    const unsigned long window = testing_support::FindTopLevelWindow(display.name(), kCaption, 20s);
    ASSERT_NE(window, 0u) << program.err();
    EXPECT_FALSE(testing_support::StartsIconic(display.name(), window));
    EXPECT_TRUE(serves(port));
    EXPECT_EQ(program.out().find("Keys:"), std::string::npos) << "the console took keys beside the window";
    ASSERT_TRUE(testing_support::SendCloseRequest(display.name(), window));
    EXPECT_EQ(program.waitForExit(), 0) << program.err();
    EXPECT_NE(program.out().find("Stopping the server.\n"), std::string::npos) << program.out();
    EXPECT_FALSE(serves(port));
}

TEST(DesktopProgramTest, MinimizeStartsTheWindowIconicAndAStopSignalEndsIt) {
    testing_support::XvfbDisplay display;
    ASSERT_FALSE(display.name().empty());
    RunningProgram program(with({"/minimize"}), display.name());
    const int port = program.port();
    ASSERT_NE(port, 0) << program.err();
    const unsigned long window = testing_support::FindTopLevelWindow(display.name(), kCaption, 20s);
    ASSERT_NE(window, 0u) << program.err();
    // The title can appear before the window manager hints do.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    bool iconic = testing_support::StartsIconic(display.name(), window);
    while (!iconic && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
        iconic = testing_support::StartsIconic(display.name(), window);
    }
    EXPECT_TRUE(iconic);
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), 0) << program.err();
    EXPECT_FALSE(serves(port));
}

// The X server ends under the window: the server keeps serving in the console.
TEST(DesktopProgramTest, DisplayThatGoesAwayLeavesTheServerServing) {
    testing_support::XvfbDisplay display;
    ASSERT_FALSE(display.name().empty());
    RunningProgram program(kServerArguments, display.name());
    const int port = program.port();
    ASSERT_NE(port, 0) << program.err();
    ASSERT_NE(testing_support::FindTopLevelWindow(display.name(), kCaption, 20s), 0u) << program.err();
    // Once the news view's web process runs: WebKit ends the whole program when that
    // process dies while it is being started.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (testing_support::WebProcessesOf(program.pid()).empty() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_FALSE(testing_support::WebProcessesOf(program.pid()).empty());
    std::this_thread::sleep_for(1s);
    display.stop();
    EXPECT_TRUE(program.waitFor("The desktop display went away; the server goes on in the console.\n", true))
        << program.err();
    EXPECT_TRUE(serves(port));
    EXPECT_TRUE(program.waitFor("Keys:")) << program.out();
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(), 0) << program.err();
}

// Where the window cannot or should not open, the console host serves.
TEST(DesktopProgramTest, ConsoleHostServesWithoutAUsableDisplayOrWhenAskedFor) {
    testing_support::XvfbDisplay display;
    ASSERT_FALSE(display.name().empty());
    // A display number no X server of these tests takes (they are numbered from 0 up), so a
    // test running beside this one never answers in its place.
    const std::string gone = ":" + std::to_string(60000 + getpid() % 5000);
    struct Case {
        const char* what;
        std::string display;
        std::vector<std::string> extra;
        const char* said;  // on standard error
        bool keys;
    };
    const std::vector<Case> cases{
        {"no X server", gone, {}, "The window could not be opened on the desktop (DISPLAY=", true},
        {"-console", display.name(), {"-console"}, "", true},
        {"-headless", display.name(), {"-headless"}, "", false},
    };
    for (const Case& c : cases) {
        RunningProgram program(with(c.extra), c.display);
        const int port = program.port();
        ASSERT_NE(port, 0) << c.what << program.err();
        EXPECT_TRUE(serves(port)) << c.what;
        EXPECT_TRUE(program.waitFor(c.said, true)) << c.what << program.err();
        if (c.keys) {
            EXPECT_TRUE(program.waitFor("Keys:")) << c.what << program.out();
        }
        EXPECT_EQ(testing_support::FindTopLevelWindow(display.name(), kCaption, 1s), 0u) << c.what;
        program.signal(SIGTERM);
        EXPECT_EQ(program.waitForExit(), 0) << c.what << program.err();
        if (!c.keys) {
            EXPECT_EQ(program.out().find("Keys:"), std::string::npos) << c.what;
        }
    }
}

}  // namespace

#endif
