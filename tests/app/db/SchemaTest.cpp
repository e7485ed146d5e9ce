#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Schema.h"
#include "tests/app/db/TestDatabase.h"

namespace exam::db {
namespace {

using testing::DatabaseTest;
using testing::TempFolder;

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST(InitDatabaseTest, CreatesTheFileWithThePasswordRow) {
    TempFolder folder;
    EXPECT_EQ(InitDatabase(folder.file("db1.db"), {"Admin 1", false}), "Admin 1");
    Database db(folder.file("db1.db"));
    Query query(db);
    query.SQL().Add("select setx,setz from shezhi");
    query.Open();
    ASSERT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.FieldByName("setx").AsString(), "pass");
    EXPECT_EQ(query.FieldByName("setz").AsString(), "Admin 1");
    query.SQL().SetText("select * from test");
    query.Open();
    EXPECT_EQ(query.RecordCount(), 0);
}

TEST(InitDatabaseTest, GeneratesARandomPasswordWhenNoneIsGiven) {
    TempFolder folder;
    const std::string first = InitDatabase(folder.file("a.db"));
    const std::string second = InitDatabase(folder.file("b.db"));
    EXPECT_NE(first, second);
    ASSERT_EQ(first.size(), 12u);
    EXPECT_EQ(first.find_first_not_of("abcdefghijkmnpqrstuvwxyz23456789"), std::string::npos) << first;
}

TEST(InitDatabaseTest, RefusesToOverwriteAnExistingFile) {
    TempFolder folder;
    const auto file = folder.file("db1.db");
    InitDatabase(file, {"first", false});
    const std::string before = readFile(file);
    EXPECT_THROW(InitDatabase(file, {"second", true}), std::runtime_error);
    EXPECT_EQ(readFile(file), before);
    Database db(file);
    Query query(db);
    query.SQL().Add("select setz from shezhi");
    query.Open();
    EXPECT_EQ(query.Fields(0).AsString(), "first");
}

TEST(InitDatabaseTest, RefusesWhenAnOldJournalLiesBesideTheFile) {
    TempFolder folder;
    std::ofstream(folder.file("db1.db-wal")) << "old";
    EXPECT_THROW(InitDatabase(folder.file("db1.db")), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(folder.file("db1.db")));
}

TEST(InitDatabaseTest, RefusesPasswordsThatCannotBeTyped) {
    TempFolder folder;
    for (const char* password : {"", " lead", "trail ", "\ttab"}) {
        EXPECT_THROW(InitDatabase(folder.file("db1.db"), {password, false}), std::invalid_argument)
            << password;
        EXPECT_FALSE(std::filesystem::exists(folder.file("db1.db")));
    }
}

TEST(InitDatabaseTest, SampleExamFollowsTheQuestionEncodings) {
    TempFolder folder;
    InitDatabase(folder.file("db1.db"), {"pw", true});
    Database db(folder.file("db1.db"));
    Query query(db);
    query.SQL().Add("select 题型,题目,候选项,答案,分数 from tm,test where tm.testid=test.id and test.set2=0");
    query.Open();
    ASSERT_EQ(query.RecordCount(), 6);
    std::multiset<std::string> types;
    for (; !query.Eof(); query.Next()) {
        const std::string type = query.FieldByName("题型").AsString();
        const std::string text = query.FieldByName("题目").AsString();
        const std::string options = query.FieldByName("候选项").AsString();
        const std::string answer = query.FieldByName("答案").AsString();
        types.insert(type);
        EXPECT_TRUE(text.ends_with("\r\n")) << text;
        // Options: lines "A.", "B.", ... each ending in CR LF; the answer uses only those letters.
        std::size_t lines = 0;
        for (std::size_t pos = 0; pos < options.size(); ++lines) {
            EXPECT_EQ(options.substr(pos, 2), std::string(1, static_cast<char>('A' + lines)) + ".")
                << options;
            const std::size_t end = options.find("\r\n", pos);
            ASSERT_NE(end, std::string::npos) << options;
            pos = end + 2;
        }
        EXPECT_LE(lines, 6u);
        for (std::size_t i = 0; i < answer.size(); ++i) {
            EXPECT_LT(answer[i] - 'A', static_cast<int>(lines)) << answer;
            if (i > 0) {
                EXPECT_LT(answer[i - 1], answer[i]) << answer;
            }
        }
        EXPECT_EQ(answer.size() > 1, type == "多选题") << answer;
        if (type == "判断题") {
            EXPECT_EQ(options, "A.对\r\nB.错\r\n");
        }
        EXPECT_GT(query.FieldByName("分数").AsFloat(), 0.0);
    }
    EXPECT_EQ(types,
              (std::multiset<std::string>{"单选题", "单选题", "多选题", "多选题", "判断题", "判断题"}));
}

TEST_F(DatabaseTest, NewExamStartsWithTheDefaultSwitches) {
    const std::int64_t id = createExam("新考试");
    Query query(db_);
    query.SQL().Add("select * from test where id=?");
    query.Params({id});
    query.Open();
    const struct {
        const char* column;
        int value;
    } defaults[] = {{"set1", 0}, {"set2", 0}, {"set3", 0}, {"set4", 0}, {"set5", 1}};
    for (const auto& d : defaults)
        EXPECT_EQ(query.FieldByName(d.column).AsValue(), Value(d.value)) << d.column;
    EXPECT_TRUE(query.FieldByName("考试标识").IsNull());
    EXPECT_TRUE(query.FieldByName("wid").IsNull());
}

TEST_F(DatabaseTest, PerCandidateAndPerQuestionLookupsUseIndexes) {
    const struct {
        const char* sql;
        std::vector<Value> params;
    } lookups[] = {
        {"select zd from dtxb where testid=1 and  tmid=2 and xm=?", {"张三"}},
        {"select 1 from cj where testid=1 and 姓名=?and 考试标识=?", {"张三", ""}},
        {"select 成绩 from cj where testid=1 and 姓名=?", {"张三"}},
        {"select * from tm where testid=1", {}},
        {"delete from dtxb where tmid=2", {}},
        {"select tm.id as 题目编号,题目,题型,候选项,答案,分数,zd from tm,dtxb where tm.id=dtxb.tmid and "
         "tm.testid=1 and dtxb.xm=?",
         {"张三"}},
    };
    for (const auto& lookup : lookups) {
        Query plan(db_);
        plan.SQL().Add(std::string("EXPLAIN QUERY PLAN ") + lookup.sql);
        for (std::size_t i = 0; i < lookup.params.size(); ++i)
            plan.Param(static_cast<int>(i) + 1, lookup.params[i]);
        plan.Open();
        std::string details;
        for (; !plan.Eof(); plan.Next()) details += plan.FieldByName("detail").AsString() + "; ";
        EXPECT_EQ(details.find("SCAN"), std::string::npos) << lookup.sql << " -> " << details;
    }
}

}  // namespace
}  // namespace exam::db
