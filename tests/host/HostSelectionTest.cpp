#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/autosave/AutosaveStore.h"
#include "host/HostOptions.h"
#include "host/desktop/ExamsInProgress.h"
#include "host/desktop/HostSelection.h"
#include "tests/support/RuntimeFixture.h"

namespace host {
namespace {

namespace fs = std::filesystem;

TEST(HostSelectionTest, WindowOnlyWithADisplayAndNeitherConsoleNorHeadless) {
    struct Case {
        std::vector<std::string> switches;
        std::map<std::string, std::string> environment;
        bool built;
        HostKind expected;
    };
    const std::vector<Case> cases{
        {{}, {{"DISPLAY", ":0"}}, true, HostKind::Window},
        {{}, {{"WAYLAND_DISPLAY", "wayland-0"}}, true, HostKind::Window},
        {{"/minimize"}, {{"DISPLAY", ":0"}}, true, HostKind::Window},
        {{}, {}, true, HostKind::Console},
        {{}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, true, HostKind::Console},
        {{"-console"}, {{"DISPLAY", ":0"}}, true, HostKind::Console},
        {{"/CONSOLE"}, {{"WAYLAND_DISPLAY", "wayland-0"}}, true, HostKind::Console},
        {{"-headless"}, {{"DISPLAY", ":0"}}, true, HostKind::Console},
        {{}, {{"DISPLAY", ":0"}}, false, HostKind::Console},
    };
    for (const Case& c : cases) {
        auto lookup = [&c](const char* name) -> const char* {
            auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(ChooseHost(ParseHostOptions(c.switches), c.built, lookup), c.expected)
            << testing::PrintToString(c.switches) << testing::PrintToString(c.environment) << c.built;
    }
}

TEST(HostSelectionTest, UsageNamesTheConsoleSwitch) {
    EXPECT_NE(HostUsage("examserver").find("  -console "), std::string::npos);
}

class CandidatesInExamTest : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(folder_); }

    // Sheets saved `ago` seconds before kNow.
    void save(const std::vector<std::pair<std::string, std::int64_t>>& sheets) {
        exam::AutosaveStore store(file_, [](const std::string&) {});
        std::vector<exam::AutosaveChange> changes;
        for (const auto& [session, ago] : sheets) {
            changes.push_back({session, std::string("answersheet 1\nexam 1"), kNow - ago});
        }
        store.apply(changes);
    }

    static constexpr std::int64_t kNow = 1'800'000'000;
    fs::path folder_ = testing_support::MakeTemporaryFolder("inexam");
    fs::path file_ = folder_ / "autosave.db";
};

// Papers saved within the session time-out count; one idle longer has lost its session.
TEST_F(CandidatesInExamTest, CountsPapersSavedWithinTheTimeOut) {
    save({{"a", 0}, {"b", 599}, {"c", 600}, {"d", 601}, {"e", 7200}});
    EXPECT_EQ(CandidatesInExam(file_, kNow, std::chrono::minutes(10)), 3u);
    EXPECT_EQ(CandidatesInExam(file_, kNow, std::chrono::hours(3)), 5u);
}

// The server keeps the file open while the window asks; the count reads beside its writer.
TEST_F(CandidatesInExamTest, CountsWhileTheServerHoldsTheFile) {
    exam::AutosaveStore server(file_, [](const std::string&) {});
    server.apply({{"a", std::string("answersheet 1\nexam 1"), kNow - 10}});
    EXPECT_EQ(CandidatesInExam(file_, kNow, std::chrono::minutes(10)), 1u);
    server.apply({{"a", std::nullopt, kNow}, {"b", std::string("answersheet 1\nexam 1"), kNow}});
    server.apply({{"c", std::string("answersheet 1\nexam 1"), kNow}});
    EXPECT_EQ(CandidatesInExam(file_, kNow, std::chrono::minutes(10)), 2u);
}

TEST_F(CandidatesInExamTest, MissingOrForeignFileCountsNone) {
    EXPECT_EQ(CandidatesInExam(file_, kNow, std::chrono::minutes(10)), 0u);
    std::ofstream(file_) << "not a database";
    EXPECT_EQ(CandidatesInExam(file_, kNow, std::chrono::minutes(10)), 0u);
}

}  // namespace
}  // namespace host
