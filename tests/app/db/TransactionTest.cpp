#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/db/DatabaseError.h"
#include "app/db/Transaction.h"
#include "tests/app/db/TestDatabase.h"

namespace exam::db {
namespace {

using testing::DatabaseTest;

TEST_F(DatabaseTest, TransactionNotCommittedLeavesNothing) {
    const std::int64_t exam = createExam("考试");
    addQuestion(exam);
    {
        Transaction transaction(db_);
        EXPECT_TRUE(db_.InTransaction());
        exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,1,'张三','A','')", {exam});
        exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'127.0.0.1','张三',1,'')", {exam});
        exec("delete from tm where testid=?", {exam});
        EXPECT_EQ(count("select * from dtxb"), 1);  // the transaction sees its own rows
    }
    EXPECT_FALSE(db_.InTransaction());
    EXPECT_EQ(count("select * from dtxb"), 0);
    EXPECT_EQ(count("select * from cj"), 0);
    EXPECT_EQ(count("select * from tm"), 1);
}

TEST_F(DatabaseTest, CommittedTransactionIsSeenByOtherConnections) {
    Database other(file_);
    Transaction transaction(db_);
    exec("INSERT INTO test (考试名称) VALUES ('甲')");
    exec("INSERT INTO test (考试名称) VALUES ('乙')");
    Query reader(other);
    reader.SQL().Add("select * from test");
    reader.Open();
    EXPECT_EQ(reader.RecordCount(), 0);
    transaction.Commit();
    reader.Open();
    EXPECT_EQ(reader.RecordCount(), 2);
}

TEST_F(DatabaseTest, ExplicitRollbackAndNoSecondTransaction) {
    Transaction transaction(db_);
    EXPECT_THROW(Transaction second(db_), DatabaseError);
    exec("INSERT INTO test (考试名称) VALUES ('甲')");
    transaction.Rollback();
    EXPECT_FALSE(transaction.Active());
    EXPECT_THROW(transaction.Commit(), DatabaseError);
    EXPECT_EQ(count("select * from test"), 0);
    Transaction next(db_);  // the gate and the connection are free again
    next.Commit();
}

TEST_F(DatabaseTest, FailedStatementInsideATransactionCanBeRolledBackWhole) {
    const auto handIn = [&] {
        Transaction transaction(db_);
        exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (1,'ip','李四',0,'')");
        exec("INSERT INTO nosuchtable VALUES (1)");
        transaction.Commit();
    };
    try {
        handIn();
        FAIL() << "the bad statement ran";
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "no such table: nosuchtable");
    }
    EXPECT_EQ(count("select * from cj"), 0);
}

TEST_F(DatabaseTest, WriterOfAnotherConnectionWaitsForTheTransactionAndThenSucceeds) {
    Database other(file_);
    std::atomic<bool> done = false;
    std::string failure;
    std::thread writer;
    {
        Transaction transaction(db_);
        exec("INSERT INTO test (考试名称) VALUES ('先')");
        writer = std::thread([&] {
            try {
                Query query(other);
                query.SQL().Add("INSERT INTO test (考试名称) VALUES ('后')");
                query.ExecSQL();
            } catch (const std::exception& error) {
                failure = error.what();
            }
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(done);
        transaction.Commit();
    }
    writer.join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(scalar("select group_concat(考试名称,'') from (select 考试名称 from test order by id)"),
              "先后");
}

TEST_F(DatabaseTest, TransactionStatementsAreNotRunAsQueries) {
    for (const char* sql :
         {"BEGIN", "begin immediate", "  COMMIT", "END", "ROLLBACK", "SAVEPOINT a", "RELEASE a"}) {
        Query query(db_);
        query.SQL().Add(sql);
        EXPECT_THROW(query.ExecSQL(), DatabaseError) << sql;
    }
    EXPECT_FALSE(db_.InTransaction());
}

TEST_F(DatabaseTest, ClosingDuringATransactionRollsItBack) {
    {
        Transaction transaction(db_);
        exec("INSERT INTO test (考试名称) VALUES ('甲')");
        db_.Close();
    }
    db_.Open(file_);
    EXPECT_EQ(count("select * from test"), 0);
}

// Savepoints one after another and inside one another: each undoes or keeps its own part,
// and the statements of savepoints in a row are prepared once.
TEST_F(DatabaseTest, SavepointsInARowAndNestedKeepOrUndoTheirOwnPart) {
    Transaction transaction(db_);
    const Connection& connection = transaction.connection();
    const auto insert = [&](const char* name) { exec("INSERT INTO test (考试名称) VALUES (?)", {name}); };
    for (const char* name : {"甲", "乙", "丙"}) {
        Savepoint savepoint(db_);
        insert(name);
        if (std::string(name) == "乙") {
            savepoint.Rollback();
        } else {
            savepoint.Release();
        }
    }
    const std::size_t prepared = connection.prepareCount();
    {
        Savepoint outer(db_);
        insert("丁");
        {
            Savepoint inner(db_);
            insert("戊");
        }  // undone on leaving without Release
        {
            Savepoint inner(db_);
            insert("己");
            inner.Release();
        }
        outer.Release();
    }
    {
        Savepoint again(db_);
        insert("庚");
        again.Release();
    }
    // New after the first three: only the nested depth's SAVEPOINT and RELEASE.
    EXPECT_EQ(connection.prepareCount() - prepared, 2u);
    transaction.Commit();
    EXPECT_EQ(rows("select 考试名称 from test order by id"),
              (std::vector<std::vector<std::string>>{{"甲"}, {"丙"}, {"丁"}, {"己"}, {"庚"}}));
}

}  // namespace
}  // namespace exam::db
