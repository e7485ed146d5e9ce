#include "web/server/files/CachePurge.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/RuntimeFixture.h"
#include "web/server/Errors.h"

namespace web {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class CachePurgeTest : public ::testing::Test {
protected:
    ~CachePurgeTest() override { fs::remove_all(folder_); }

    fs::path file(const fs::path& relative, std::chrono::minutes age) {
        const fs::path path = folder_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "page";
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
        return path;
    }

    fs::path folder_ = testing_support::MakeTemporaryFolder("purge");
};

TEST_F(CachePurgeTest, DeletesOnlyFilesOlderThanTheExpiryAndKeepsFolders) {
    const fs::path old = file("old.html", 121min);
    const fs::path fresh = file("fresh.html", 119min);
    const fs::path oldBelow = file("session/a/old.png", 500min);
    TCachePurgeThread::PurgeDirectory(folder_.string(), 120min);
    EXPECT_FALSE(fs::exists(old));
    EXPECT_FALSE(fs::exists(oldBelow));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_TRUE(fs::is_directory(folder_ / "session/a")) << "folders belong to live sessions";
}

TEST_F(CachePurgeTest, RefusesTheRootAndAnEmptyFolder) {
    for (const char* folder : {"", "/", "\\"}) {
        EXPECT_THROW(TCachePurgeThread::PurgeDirectory(folder, 0min), EWFException) << folder;
    }
}

TEST_F(CachePurgeTest, TheThreadPurgesEveryPeriodUntilStopped) {
    const fs::path old = file("old.html", 10min);
    TCachePurgeThread purge(folder_.string(), 5min, 10ms);
    for (int tries = 0; tries < 500 && fs::exists(old); ++tries) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(fs::exists(old));
    purge.stop();
    const fs::path later = file("later.html", 10min);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(fs::exists(later)) << "a stopped thread deletes nothing";
}

}  // namespace
}  // namespace web
