#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <barrier>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "tests/support/RuntimeFixture.h"
#include "web/server/CacheFolder.h"
#include "web/server/Errors.h"
#include "web/server/TWFServerControllerBase.h"

namespace web {
namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Points TMPDIR at a private folder for the test's lifetime, so what the runtime creates
// under "the temporary folder" can be inspected and is removed afterwards.
class CacheFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        if (old != nullptr) oldTmp_ = old;
        hadTmp_ = old != nullptr;
        setenv("TMPDIR", parent_.c_str(), 1);
    }
    void TearDown() override {
        if (hadTmp_) {
            setenv("TMPDIR", oldTmp_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        std::error_code ignored;
        fs::remove_all(parent_, ignored);
    }

    std::unique_ptr<TWFServerControllerBase> loadedController() {
        auto controller = std::make_unique<TWFServerControllerBase>();
        controller->setProgramFolder(parent_.string() + "/");
        controller->loaded();
        return controller;
    }

    fs::path parent_ = testing_support::MakeTemporaryFolder("cachefolder");
    std::string oldTmp_;
    bool hadTmp_ = false;
};

TEST_F(CacheFolderTest, IsAPrivateFolderNamedByTheRunStampAndRandomCharacters) {
    auto controller = loadedController();
    const std::string& folder = controller->cacheFolder();
    std::string expectedStart = parent_.string() + "/" + controller->runStamp();
    ASSERT_EQ(folder.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(folder.size(), expectedStart.size() + 6 + 1) << folder;
    EXPECT_EQ(folder.back(), '/');

    struct stat info {};
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(CacheFolderTest, TwoFoldersOfOneRunStampAreDistinctAndRemovedOneByOne) {
    auto first = std::make_unique<CacheFolder>(parent_.string() + "/", "stamp");
    CacheFolder second(parent_.string() + "/", "stamp");
    ASSERT_NE(first->path(), second.path());
    writeFile(first->path() + "page", "first");
    writeFile(second.path() + "page", "second");

    std::string firstPath = first->path();
    first.reset();
    EXPECT_FALSE(fs::exists(firstPath));
    EXPECT_EQ(readFile(second.path() + "page"), "second");
}

TEST_F(CacheFolderTest, AFolderOrLinkPlacedAtThePredictableNameIsNeverTakenOver) {
    fs::path victim = parent_ / "victim";
    fs::create_directory(victim);
    writeFile((victim / "keep").string(), "mine");
    fs::create_directory_symlink(victim, parent_ / "stamp");

    {
        CacheFolder folder(parent_.string() + "/", "stamp");
        EXPECT_NE(folder.path(), (parent_ / "stamp").string() + "/");
        EXPECT_EQ(fs::canonical(folder.path()).parent_path(), fs::canonical(parent_));
    }
    EXPECT_EQ(readFile((victim / "keep").string()), "mine");
    EXPECT_TRUE(fs::is_symlink(parent_ / "stamp"));
}

TEST_F(CacheFolderTest, RemovalFollowsNoLinkInsideTheFolder) {
    fs::path victim = parent_ / "victim";
    fs::create_directory(victim);
    writeFile((victim / "keep").string(), "mine");
    std::string path;
    {
        CacheFolder folder(parent_.string() + "/", "stamp");
        path = folder.path();
        fs::create_directory_symlink(victim, path + "link");
        fs::create_directory(path + "user");
        fs::create_symlink(victim / "keep", path + "user/file-link");
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
    EXPECT_EQ(readFile((victim / "keep").string()), "mine");
}

TEST_F(CacheFolderTest, AFolderPutInPlaceOfOursIsNotRemoved) {
    auto folder = std::make_unique<CacheFolder>(parent_.string() + "/", "stamp");
    std::string path = folder->path();
    std::string bare = path.substr(0, path.size() - 1);
    fs::rename(bare, parent_ / "moved");
    fs::create_directory(bare);
    writeFile(path + "other", "not ours");

    folder.reset();
    EXPECT_EQ(readFile(path + "other"), "not ours");
    EXPECT_TRUE(fs::exists(parent_ / "moved"));
}

TEST_F(CacheFolderTest, AnUnwritableParentFailsWithTheCacheMessage) {
    std::string missing = (parent_ / "missing").string() + "/";
    try {
        CacheFolder folder(missing, "stamp");
        FAIL() << "a folder was created in a missing parent";
    } catch (const EWFException& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to create cache directory \"" + missing + "stamp/\".");
    }
}

// Controllers started together in one process, as parallel test programs or two servers
// would: each keeps its own files until it is freed, whatever the others do.
TEST_F(CacheFolderTest, ControllersStartedTogetherInOneProcessKeepTheirOwnFiles) {
    constexpr int kControllers = 8;
    std::array<std::unique_ptr<TWFServerControllerBase>, kControllers> controllers;
    std::barrier start(kControllers);
    std::vector<std::thread> threads;
    for (int i = 0; i < kControllers; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            controllers[i] = loadedController();
            writeFile(controllers[i]->cacheFolder() + "page", std::to_string(i));
        });
    }
    for (auto& thread : threads) thread.join();

    std::set<std::string> folders;
    for (auto& controller : controllers) folders.insert(controller->cacheFolder());
    ASSERT_EQ(folders.size(), static_cast<std::size_t>(kControllers));

    for (int i = 0; i < kControllers; i += 2) {
        std::string folder = controllers[i]->cacheFolder();
        controllers[i].reset();
        EXPECT_FALSE(fs::exists(folder));
    }
    for (int i = 1; i < kControllers; i += 2) {
        EXPECT_EQ(readFile(controllers[i]->cacheFolder() + "page"), std::to_string(i));
    }
}

// One child process: loads a controller, writes a file into its cache folder, reports the
// folder on `report`, and frees the controller when the parent closes `release`.
void runChild(const std::string& programFolder, int report, int release) {
    int status = 1;
    {
        TWFServerControllerBase controller;
        controller.setProgramFolder(programFolder);
        controller.loaded();
        writeFile(controller.cacheFolder() + "page", controller.cacheFolder());
        std::string line = controller.cacheFolder() + "\n";
        if (::write(report, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
            char byte;
            while (::read(release, &byte, 1) > 0) {
            }
            status = 0;
        }
    }
    ::_exit(status);
}

struct Child {
    pid_t pid = -1;
    int release = -1;
    std::string folder;
};

TEST_F(CacheFolderTest, ServersStartedTogetherInSeveralProcessesKeepTheirOwnFiles) {
    constexpr int kChildren = 6;
    std::vector<Child> children(kChildren);
    int reports[2];
    ASSERT_EQ(::pipe(reports), 0);
    for (std::size_t i = 0; i < children.size(); ++i) {
        Child& child = children[i];
        int release[2];
        ASSERT_EQ(::pipe(release), 0);
        child.pid = ::fork();
        ASSERT_GE(child.pid, 0);
        if (child.pid == 0) {
            // Only the parent may hold a child's release pipe open.
            for (std::size_t j = 0; j < i; ++j) ::close(children[j].release);
            ::close(release[1]);
            ::close(reports[0]);
            runChild(parent_.string() + "/", reports[1], release[0]);
        }
        ::close(release[0]);
        child.release = release[1];
    }
    ::close(reports[1]);

    std::string lines;
    char buffer[512];
    for (ssize_t got; std::count(lines.begin(), lines.end(), '\n') < kChildren &&
                      (got = ::read(reports[0], buffer, sizeof buffer)) > 0;) {
        lines.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(reports[0]);
    std::set<std::string> folders;
    std::istringstream in(lines);
    for (std::string folder; std::getline(in, folder);) folders.insert(folder);
    ASSERT_EQ(folders.size(), static_cast<std::size_t>(kChildren)) << lines;

    // Half of the servers stop; every file of the others is still there.
    for (int i = 0; i < kChildren; i += 2) {
        ::close(children[i].release);
        int status = -1;
        ::waitpid(children[i].pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    int remaining = 0;
    for (const std::string& folder : folders) {
        if (!fs::exists(folder)) continue;
        ++remaining;
        EXPECT_EQ(readFile(folder + "page"), folder);
    }
    EXPECT_EQ(remaining, kChildren / 2);

    for (int i = 1; i < kChildren; i += 2) {
        ::close(children[i].release);
        int status = -1;
        ::waitpid(children[i].pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const std::string& folder : folders) EXPECT_FALSE(fs::exists(folder)) << folder;
}

}  // namespace
}  // namespace web
