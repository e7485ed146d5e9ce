#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/backup/DatabaseBackup.h"
#include "app/db/Database.h"
#include "app/db/Schema.h"
#include "app/db/Query.h"
#include "tests/app/db/TestDatabase.h"
#include "tests/support/RuntimeFixture.h"

namespace {

namespace fs = std::filesystem;

// Every row of `sql`, its columns joined by "|".
std::vector<std::string> rows(const fs::path& file, const std::string& sql) {
    return exam::db::testing::JoinedRows(file, sql);
}

class DatabaseBackupTest : public ::testing::Test {
protected:
    DatabaseBackupTest() : folder_(testing_support::MakeTemporaryFolder("backup-test")) {
        exam::db::InitDatabase(source(), exam::db::InitOptions{"secret", true});
    }
    ~DatabaseBackupTest() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path source() const { return folder_ / "db1.db"; }
    // The names in the folder, the database's own files left out.
    std::vector<std::string> otherFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("db1.db", 0) != 0) names.push_back(name);
        }
        return names;
    }

    fs::path folder_;
};

TEST_F(DatabaseBackupTest, CopyHoldsTheSameRowsAndStandsAlone) {
    {
        exam::db::Database db(source());
        exam::db::Query insert(db);
        insert.SQL().Add("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (1,'10.0.0.7','张三',5,'')");
        insert.ExecSQL();
    }
    const fs::path copy = folder_ / "copy.db";
    exam::BackupDatabase(source(), copy);

    // A rollback-journal file (header bytes 18 and 19 are 1; a WAL file has 2), so the copy
    // is complete without a -wal file beside it.
    std::ifstream header(copy, std::ios::binary);
    char versions[20] = {};
    header.read(versions, sizeof versions);
    EXPECT_EQ(versions[18], 1);
    EXPECT_EQ(versions[19], 1);
    header.close();
    // Only the copy is left: no temporary file, no journal of it.
    EXPECT_EQ(otherFiles(), std::vector<std::string>{"copy.db"});

    for (const char* sql : {"select id,考试名称 from test", "select id,题型,题目,候选项,答案,分数 from tm",
                            "select testid,ip,姓名,成绩 from cj", "select setx,setz from shezhi"}) {
        EXPECT_EQ(rows(copy, sql), rows(source(), sql)) << sql;
    }
    EXPECT_EQ(rows(copy, "select 姓名 from cj"), std::vector<std::string>{"张三"});
    EXPECT_EQ(rows(copy, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

TEST_F(DatabaseBackupTest, ExistingTargetIsNeverOverwritten) {
    const fs::path existing = folder_ / "existing.db";
    std::ofstream(existing) << "keep me";
    try {
        exam::BackupDatabase(source(), existing);
        FAIL() << "an existing file was accepted";
    } catch (const exam::BackupError& error) {
        EXPECT_NE(std::string(error.what()).find("already exists"), std::string::npos) << error.what();
    }
    std::ifstream in(existing);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "keep me");
    EXPECT_EQ(otherFiles(), std::vector<std::string>{"existing.db"});
}

struct FailedBackup {
    const char* what;
    std::string source;
    std::string target;
    const char* reason;
};

TEST_F(DatabaseBackupTest, FailuresSayWhyAndLeaveNoFile) {
    std::ofstream(folder_ / "not-a-db") << "this is no database file at all, just text";
    const std::vector<FailedBackup> cases{
        {"missing database", (folder_ / "none.db").string(), (folder_ / "a.db").string(), "does not exist"},
        {"missing target folder", source().string(), (folder_ / "no" / "such" / "b.db").string(),
         "Cannot create"},
        {"not a database", (folder_ / "not-a-db").string(), (folder_ / "c.db").string(), "not a database"},
    };
    for (const FailedBackup& failure : cases) {
        try {
            exam::BackupDatabase(failure.source, failure.target);
            ADD_FAILURE() << failure.what << ": no error";
        } catch (const exam::BackupError& error) {
            EXPECT_NE(std::string(error.what()).find(failure.reason), std::string::npos)
                << failure.what << ": " << error.what();
        }
        EXPECT_FALSE(fs::exists(failure.target)) << failure.what;
    }
    EXPECT_EQ(otherFiles(), std::vector<std::string>{"not-a-db"});
}

}  // namespace
