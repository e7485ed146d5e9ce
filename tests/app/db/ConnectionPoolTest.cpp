#include <dirent.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/db/Connection.h"
#include "app/db/Database.h"
#include "app/db/DatabaseError.h"
#include "app/db/Transaction.h"
#include "tests/app/db/TestDatabase.h"

namespace exam::db {
namespace {

using testing::DatabaseTest;
using testing::ResultRows;

std::size_t openDescriptors() {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

// A connection function that fails the way a failing disk does.
void failLikeTheDisk(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_error_code(context, SQLITE_IOERR_READ);
}

std::string errorOf(Query& query) {
    try {
        query.Open();
    } catch (const DatabaseError& error) {
        return error.what();
    }
    return "<no error>";
}

TEST_F(DatabaseTest, TheSameTextIsPreparedOncePerConnection) {
    const std::int64_t exam = createExam("缓存");
    const struct {
        const char* sql;
        // The first run prepares the text, and a plain select also its form with the row id.
        std::size_t firstPrepares;
    } cases[] = {
        {"select id,考试名称 from test where id=?", 2},
        {"select count(*) as n from test where id=?", 1},
        {"update test set 考试名称=考试名称 where id=?", 1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.sql);
        const std::size_t before = db_.Pool().prepareCount();
        for (int run = 0; run < 5; ++run) {
            Query query(db_);
            query.SQL().Add(test.sql);
            query.Params({exam});
            if (std::string(test.sql).starts_with("update")) {
                EXPECT_EQ(query.ExecSQL(), 1);
            } else {
                query.Open();
                EXPECT_EQ(query.RecordCount(), 1);
            }
            EXPECT_EQ(db_.Pool().prepareCount() - before, test.firstPrepares) << "run " << run;
        }
    }
    // Values of an earlier run never stick to the cached statement.
    Query query(db_);
    query.SQL().Add("select id,考试名称 from test where id=?");
    query.Params({exam + 1});
    query.Open();
    EXPECT_EQ(query.RecordCount(), 0);
}

TEST_F(DatabaseTest, IdleHandlesHoldNoConnection) {
    // Warm up: the pool has its connection open before the count starts.
    EXPECT_EQ(count("select * from test"), 0);
    const std::size_t descriptors = openDescriptors();
    std::vector<std::unique_ptr<Database>> sessions;
    for (int i = 0; i < 1000; ++i) {
        sessions.push_back(std::make_unique<Database>(file_));
        Query query(*sessions.back());
        query.SQL().Add("select count(*) from test");
        query.Open();
    }
    EXPECT_EQ(db_.Pool().openCount(), 1u);
    EXPECT_LE(openDescriptors(), descriptors + 2);
}

TEST_F(DatabaseTest, AConnectionThatFailsLikeTheDiskIsReplaced) {
    db_.WithConnection([](Connection& connection) {
        ASSERT_EQ(sqlite3_create_function_v2(connection.handle(), "faulty", 0, SQLITE_UTF8, nullptr,
                                             failLikeTheDisk, nullptr, nullptr, nullptr),
                  SQLITE_OK);
    });
    Query query(db_);
    query.SQL().Add("select faulty()");
    EXPECT_EQ(errorOf(query), "disk I/O error");
    // The faulty connection was closed: the one in its place never heard of the function.
    EXPECT_EQ(errorOf(query), "no such function: faulty");
    EXPECT_EQ(db_.Pool().openCount(), 1u);
    EXPECT_EQ(count("select * from test"), 0);
}

TEST_F(DatabaseTest, AStatementErrorKeepsTheConnection) {
    db_.WithConnection([](Connection& connection) {
        ASSERT_EQ(sqlite3_create_function_v2(connection.handle(), "faulty", 0, SQLITE_UTF8, nullptr,
                                             failLikeTheDisk, nullptr, nullptr, nullptr),
                  SQLITE_OK);
    });
    Query query(db_);
    query.SQL().Add("select * from no_such_table");
    EXPECT_EQ(errorOf(query), "no such table: no_such_table");
    query.SQL().Clear();
    query.SQL().Add("select faulty()");
    EXPECT_EQ(errorOf(query), "disk I/O error");
}

TEST_F(DatabaseTest, ARemovedFileFailsNewStatementsWithoutWaiting) {
    EXPECT_EQ(count("select * from test"), 0);
    std::filesystem::remove(file_);
    Query query(db_);
    query.SQL().Add("select * from test");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorOf(query), "unable to open database file: " + file_.string());
    EXPECT_EQ(errorOf(query), "unable to open database file: " + file_.string());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(db_.Pool().openCount(), 0u);
}

TEST_F(DatabaseTest, ATransactionKeepsItsConnectionUntilItEnds) {
    Transaction transaction(db_);
    exec("INSERT INTO test (考试名称) VALUES ('未提交')");
    // Another handle on the same file borrows another connection and sees nothing yet.
    Database other(file_);
    EXPECT_EQ(ResultRows(other, "select count(*) from test"), (std::vector<std::vector<std::string>>{{"0"}}));
    EXPECT_EQ(db_.Pool().openCount(), 2u);
    EXPECT_EQ(count("select * from test"), 1);
    transaction.Commit();
    EXPECT_EQ(ResultRows(other, "select count(*) from test"), (std::vector<std::vector<std::string>>{{"1"}}));
}

TEST_F(DatabaseTest, ManyThreadsShareThePool) {
    const std::int64_t exam = createExam("共享");
    constexpr int kThreads = 8;
    constexpr int kRounds = 40;
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int who = 0; who < kThreads; ++who) {
        threads.emplace_back([&, who] {
            try {
                Database db(file_);
                for (int round = 0; round < kRounds; ++round) {
                    Query query(db);
                    query.SQL().Add("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,'A','')");
                    query.Params({exam, round, "t" + std::to_string(who)}).ExecSQL();
                    query.SQL().Clear();
                    query.SQL().Add("select count(*) from dtxb where xm=?");
                    query.Params({"t" + std::to_string(who)});
                    query.Open();
                    if (query.Fields(0).AsInteger() != round + 1) throw std::runtime_error("lost a row");
                }
            } catch (const std::exception& error) {
                failures[static_cast<std::size_t>(who)] = error.what();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::string& failure : failures) EXPECT_EQ(failure, "");
    EXPECT_EQ(count("select * from dtxb"), kThreads * kRounds);
    EXPECT_LE(db_.Pool().openCount(), ConnectionPool::kDefaultSize);
}

}  // namespace
}  // namespace exam::db
