#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <thread>

#include "app/db/Database.h"
#include "app/db/DatabaseError.h"
#include "app/db/Transaction.h"
#include "tests/app/db/TestDatabase.h"

namespace exam::db {
namespace {

using testing::DatabaseTest;
using testing::TempFolder;

TEST(DatabaseOpenTest, MissingFileIsAnErrorAndIsNotCreated) {
    TempFolder folder;
    Database db;
    try {
        db.Open(folder.file("db1.db"));
        FAIL() << "opened a missing file";
    } catch (const DatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("unable to open database file"), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(db.Connected());
    EXPECT_FALSE(std::filesystem::exists(folder.file("db1.db")));
}

TEST(DatabaseOpenTest, FileThatIsNoDatabaseIsAnError) {
    TempFolder folder;
    std::ofstream(folder.file("db1.db")) << "this is not a database file, just some text of some length";
    Database db;
    try {
        db.Open(folder.file("db1.db"));
        FAIL() << "opened a text file";
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "file is not a database");
    }
    EXPECT_FALSE(db.Connected());
}

TEST_F(DatabaseTest, EveryConnectionGetsTheSameSettings) {
    const struct {
        const char* pragma;
        const char* value;
    } cases[] = {
        {"PRAGMA journal_mode", "wal"},        {"PRAGMA synchronous", "2"},
        {"PRAGMA busy_timeout", "5000"},       {"PRAGMA foreign_keys", "0"},
        {"PRAGMA cache_size", "-512"},         {"PRAGMA journal_size_limit", "8388608"},
        {"PRAGMA wal_autocheckpoint", "1000"},
    };
    Database second(file_);
    for (Database* db : {&db_, &second}) {
        for (const auto& c : cases) {
            Query query(*db);
            query.SQL().Add(c.pragma);
            query.Open();
            EXPECT_EQ(query.Fields(0).AsString(), c.value) << c.pragma;
        }
    }
}

TEST_F(DatabaseTest, ClosedConnectionRefusesWork) {
    db_.Close();
    db_.Close();
    EXPECT_FALSE(db_.Connected());
    Query query(db_);
    query.SQL().Add("select 1");
    try {
        query.Open();
        FAIL() << "ran on a closed connection";
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "the database connection is closed");
    }
}

TEST_F(DatabaseTest, ClosingTheLastConnectionLeavesNoJournalBehind) {
    exec("INSERT INTO test (考试名称) VALUES ('x')");
    db_.Checkpoint();
    db_.Close();
    EXPECT_FALSE(std::filesystem::exists(file_.string() + "-wal"));
    db_.Open(file_);
    EXPECT_EQ(count("select * from test"), 1);
}

TEST_F(DatabaseTest, OpeningWaitsForNoWriteInProgress) {
    // A candidate's new session opens its connection while hand-ins hold the write gate.
    // The file is in WAL mode already, so opening writes nothing and must not queue.
    Transaction writing(db_);
    exec("INSERT INTO test (考试名称) VALUES ('写入中')");
    std::promise<std::string> read;
    std::thread session([&] {
        Database db;
        std::string outcome;
        try {
            db.Open(file_);
            Query query(db);
            query.SQL().Add("select count(*) from test");
            query.Open();
            outcome = "read " + query.Fields(0).AsString();
        } catch (const std::exception& error) {
            outcome = error.what();
        }
        read.set_value(outcome);
    });  // closing, unlike opening, passes the gate: it waits for the commit below
    EXPECT_EQ(read.get_future().get(), "read 0");  // the row not yet committed stays unseen
    writing.Commit();
    session.join();
    EXPECT_EQ(count("select * from test"), 1);
}

TEST_F(DatabaseTest, TwoConnectionsWriteAtTheSameTimeFromTwoThreads) {
    const std::int64_t exam = createExam("并发");
    constexpr int kRows = 150;
    std::string failures[2];
    const auto writer = [&](int who) {
        try {
            Database db(file_);
            Query query(db);
            query.SQL().Add("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,'')");
            for (int i = 0; i < kRows; ++i) {
                if (i % 10 == 0) {
                    Transaction transaction(db);
                    query.Params({exam, i, "w" + std::to_string(who), "A"}).ExecSQL();
                    query.Params({exam, i, "w" + std::to_string(who), "B"}).ExecSQL();
                    transaction.Commit();
                } else {
                    query.Params({exam, i, "w" + std::to_string(who), "C"}).ExecSQL();
                }
            }
        } catch (const std::exception& error) {
            failures[who] = error.what();
        }
    };
    std::thread first(writer, 0);
    std::thread second(writer, 1);
    first.join();
    second.join();
    EXPECT_EQ(failures[0], "");
    EXPECT_EQ(failures[1], "");
    const int perWriter = kRows + kRows / 10;
    EXPECT_EQ(count("select * from dtxb where xm='w0'"), perWriter);
    EXPECT_EQ(count("select * from dtxb where xm='w1'"), perWriter);
}

}  // namespace
}  // namespace exam::db
