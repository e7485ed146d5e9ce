#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Schema.h"
#include "app/db/Transaction.h"
#include "tests/app/db/TestDatabase.h"
#include "tests/support/VersionOneSchema.h"

namespace exam::db {
namespace {

using testing::TempFolder;


void run(Database& db, std::string_view sql) {
    Query query(db);
    query.SQL().SetText(sql);
    query.ExecSQL();
}

std::string text(Database& db, std::string_view sql) {
    Query query(db);
    query.SQL().SetText(sql);
    query.Open();
    std::string rows;
    for (query.First(); !query.Eof(); query.Next()) {
        for (int i = 0; i < query.FieldCount(); ++i) rows += (i > 0 ? "|" : "") + query.Fields(i).AsString();
        rows += "\n";
    }
    return rows;
}

// A version-1 file with one row in every table; `version` overrides its user_version.
void makeOldFile(const std::filesystem::path& file, int version = 1) {
    std::fclose(std::fopen(file.c_str(), "w"));
    Database db(file);
    for (std::string_view statement : testing_support::kVersionOneSchema) run(db, statement);
    run(db, "INSERT INTO shezhi (setx,setz) VALUES ('pass','old secret')");
    run(db, "INSERT INTO test (考试名称,考试标识,set4) VALUES ('期中','一班',1)");
    run(db, "INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (1,'单选题','题一','A.甲','A',2.5)");
    run(db,
        "INSERT INTO cj (testid,ip,姓名,成绩,考试标识,提交时间) VALUES (1,'10.0.0.7','张三',2.5,'一班',"
        "'2026-05-01 10:00:00')");
    run(db, "INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (1,1,'张三','A','一班')");
    run(db, "PRAGMA user_version=" + std::to_string(version));
    db.Close();
}

std::string everyOldRow(Database& db) {
    return text(db, "select id,考试名称,考试标识,set1,set2,set3,set4,set5,wid from test") +
           text(db, "select id,testid,wid,题型,题目,候选项,答案,分数 from tm") +
           text(db, "select testid,ip,姓名,成绩,考试标识,提交时间 from cj") +
           text(db, "select testid,tmid,xm,zd,考试标识 from dtxb") + text(db, "select setx,setz from shezhi");
}

TEST(SchemaUpgradeTest, VersionOneFileGetsTheNewColumnsAndKeepsEveryRow) {
    TempFolder folder;
    const auto file = folder.file("db1.db");
    makeOldFile(file);
    std::string before;
    {
        Database db(file);
        before = everyOldRow(db);
        EXPECT_EQ(SchemaVersion(db), 1);
    }
    ASSERT_FALSE(before.empty());

    EXPECT_TRUE(UpgradeDatabase(file));

    Database db(file);
    EXPECT_EQ(SchemaVersion(db), kSchemaVersion);
    EXPECT_EQ(everyOldRow(db), before);
    // Old rows read as "no limit" and "handed in by the candidate".
    EXPECT_EQ(text(db, "select 考试时限 from test"), "0\n");
    EXPECT_EQ(text(db, "select 自动交卷 from cj"), "0\n");
    // New rows get the same defaults.
    run(db, "INSERT INTO test (考试名称) VALUES ('新')");
    EXPECT_EQ(text(db, "select 考试时限 from test where 考试名称='新'"), "0\n");
}

TEST(SchemaUpgradeTest, FileWithoutAVersionButWithTheTablesCountsAsVersionOne) {
    TempFolder folder;
    const auto file = folder.file("db1.db");
    makeOldFile(file, 0);
    EXPECT_TRUE(UpgradeDatabase(file));
    Database db(file);
    EXPECT_EQ(SchemaVersion(db), kSchemaVersion);
    EXPECT_EQ(text(db, "select 姓名,自动交卷 from cj"), "张三|0\n");
}

TEST(SchemaUpgradeTest, CurrentFileIsLeftAsItIs) {
    TempFolder folder;
    const auto file = folder.file("db1.db");
    InitDatabase(file, {"pw", true});
    EXPECT_FALSE(UpgradeDatabase(file));
    Database db(file);
    EXPECT_EQ(SchemaVersion(db), kSchemaVersion);
    EXPECT_EQ(text(db, "select 考试时限 from test"), "0\n");
}

TEST(SchemaUpgradeTest, NewerFileIsRefusedAndNeverDowngraded) {
    TempFolder folder;
    const auto file = folder.file("db1.db");
    makeOldFile(file, kSchemaVersion + 1);
    try {
        UpgradeDatabase(file);
        ADD_FAILURE() << "a newer file was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("newer version of this program"), std::string::npos)
            << error.what();
    }
    Database db(file);
    EXPECT_EQ(text(db, "PRAGMA user_version"), std::to_string(kSchemaVersion + 1) + "\n");
    EXPECT_EQ(text(db, "select count(*) from pragma_table_info('test') where name='考试时限'"), "0\n");
}

TEST(SchemaUpgradeTest, FailedStepLeavesTheFileAtItsOldVersion) {
    TempFolder folder;
    const auto file = folder.file("db1.db");
    makeOldFile(file);
    {
        // A column of that name already there makes the second step fail after the first.
        Database db(file);
        run(db, "ALTER TABLE cj ADD COLUMN 自动交卷 TEXT");
    }
    EXPECT_ANY_THROW(UpgradeDatabase(file));
    Database db(file);
    EXPECT_EQ(SchemaVersion(db), 1);
    EXPECT_EQ(text(db, "select count(*) from pragma_table_info('test') where name='考试时限'"), "0\n");
}

TEST(SchemaUpgradeTest, MissingFileIsNotCreated) {
    TempFolder folder;
    EXPECT_FALSE(UpgradeDatabase(folder.file("db1.db")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("db1.db")));
}

}  // namespace
}  // namespace exam::db
