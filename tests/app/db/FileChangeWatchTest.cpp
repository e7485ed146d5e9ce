#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/db/Connection.h"
#include "app/db/FileChangeWatch.h"
#include "tests/app/db/TestDatabase.h"

namespace exam::db {
namespace {

using testing::DatabaseTest;

// A statement run on a connection of its own, as another program on the file runs it.
void execElsewhere(const std::filesystem::path& file, const char* sql) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(other, 5000);
    EXPECT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(other);
    sqlite3_close(other);
}

TEST_F(DatabaseTest, TheDataGenerationStaysWhileTheFileIsReadAndMovesWithEveryWrite) {
    if (!FileChangeWatch(file_).watching()) GTEST_SKIP() << "the system cannot watch " << folder_.path();
    const std::int64_t exam = createExam("期中");
    ConnectionPool& pool = db_.Pool();
    const std::uint64_t start = pool.dataGeneration();
    EXPECT_EQ(count("select * from test"), 1);
    EXPECT_EQ(pool.dataGeneration(), start);

    execElsewhere(file_, "update test set 考试名称='期末'");
    const std::uint64_t afterOther = pool.dataGeneration();
    EXPECT_NE(afterOther, start);
    EXPECT_EQ(pool.dataGeneration(), afterOther);

    exec("update test set 考试名称=? where id=?", {"补考", exam});
    const std::uint64_t afterOwn = pool.dataGeneration();
    EXPECT_NE(afterOwn, afterOther);

    // Other files of the folder, even one whose name begins like the database's.
    std::ofstream(folder_.file("db1.db.autosave")) << "saved";
    std::ofstream(folder_.file("notes.txt")) << "notes";
    EXPECT_EQ(pool.dataGeneration(), afterOwn);

    // The file replaced by another, as a restore does.
    db_.Checkpoint();
    const std::uint64_t checkpointed = pool.dataGeneration();
    std::filesystem::copy_file(file_, folder_.file("copy.db"));
    std::filesystem::rename(folder_.file("copy.db"), file_);
    EXPECT_NE(pool.dataGeneration(), checkpointed);
}

TEST_F(DatabaseTest, TwoFilesNeverShareADataGeneration) {
    InitDatabase(folder_.file("other.db"), InitOptions{testing::kTestPassword, false});
    Database other(folder_.file("other.db"));
    EXPECT_NE(other.Pool().dataGeneration(), db_.Pool().dataGeneration());
}

TEST(FileChangeWatchTest, AFileWhoseFolderCannotBeWatchedIsPresumedChangedAtEveryCall) {
    FileChangeWatch watch("/no/such/folder/db1.db");
    EXPECT_FALSE(watch.watching());
    EXPECT_TRUE(watch.changed());
    EXPECT_TRUE(watch.changed());
}

TEST(FileChangeWatchTest, AWatchedFolderThatIsRemovedIsNoLongerTrusted) {
    testing::TempFolder outer;
    const std::filesystem::path folder = outer.file("data");
    std::filesystem::create_directory(folder);
    FileChangeWatch watch(folder / "db1.db");
    ASSERT_TRUE(watch.watching());
    EXPECT_FALSE(watch.changed());
    std::filesystem::rename(folder, outer.file("moved"));
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(watch.watching());
    EXPECT_TRUE(watch.changed());
}

}  // namespace
}  // namespace exam::db
