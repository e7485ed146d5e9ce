#include "app/db/Transaction.h"

#include <sqlite3.h>

#include <atomic>
#include <string>

#include "app/db/Database.h"
#include "app/db/DatabaseError.h"
#include "app/db/Statement.h"
#include "web/server/transport/WorkerWait.h"

namespace exam::db {
namespace {

void execOn(Connection& connection, const std::string& sql) {
    const int rc = sqlite3_exec(connection.handle(), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return;
    if (breaksConnection(sqlite3_extended_errcode(connection.handle()))) connection.markBroken();
    raiseEngineError(connection.handle(), rc);
}

}  // namespace

Transaction::Transaction(Database& db) : db_(db) {
    ConnectionPool& pool = db_.Pool();
    if (db_.InTransaction()) {
        throw DatabaseError(SQLITE_MISUSE, "a transaction is already open on this connection");
    }
    // Waiting for the gate, a connection and the write lock is waiting, not work.
    web::WorkerWait wait;
    // The gate first: a thread that holds a connection never waits for the gate.
    gate_.emplace(std::chrono::duration_cast<std::chrono::milliseconds>(kWriteGateWait));
    lease_ = pool.lease();
    execOn(*lease_, "BEGIN IMMEDIATE");  // the members give back the connection and the gate
    static std::atomic<std::uint64_t> begun{0};
    number_ = ++begun;
    db_.transaction_ = this;
    active_ = true;
}

Transaction::~Transaction() {
    // A handle closed meanwhile has already rolled back and forgotten this transaction.
    if (active_ && db_.transaction_ == this) {
        sqlite3_exec(lease_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        db_.transaction_ = nullptr;
    }
}

void Transaction::Commit() {
    finish("COMMIT");
}

void Transaction::Rollback() {
    finish("ROLLBACK");
}

void Transaction::finish(const char* sql) {
    if (!active_ || db_.transaction_ != this) {
        throw DatabaseError(SQLITE_MISUSE, "the transaction is no longer open");
    }
    Connection& connection = *lease_;
    sqlite3* handle = connection.handle();
    int rc = SQLITE_OK;
    {
        web::WorkerWait wait;  // a durable commit waits for the disk
        rc = sqlite3_exec(handle, sql, nullptr, nullptr, nullptr);
    }
    active_ = false;
    db_.transaction_ = nullptr;
    if (rc != SQLITE_OK) {
        const DatabaseError error(sqlite3_extended_errcode(handle), sqlite3_errmsg(handle));
        if (breaksConnection(error.code())) connection.markBroken();
        // A failed COMMIT can leave the transaction open; end it so nothing half-done stays.
        if (sqlite3_get_autocommit(handle) == 0) sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        lease_.reset();
        gate_.reset();
        throw error;
    }
    lease_.reset();
    gate_.reset();
}

// A savepoint is named after its depth among the handle's savepoints, which tells it
// from every other one open; savepoints one after another share a name, and so their
// statements are prepared once per connection.
Savepoint::Savepoint(Database& db) : db_(db) {
    if (!db_.InTransaction()) throw DatabaseError(SQLITE_MISUSE, "a savepoint needs an open transaction");
    name_ = "part" + std::to_string(db_.savepoints_ + 1);
    run("SAVEPOINT " + name_);
    ++db_.savepoints_;
    open_ = true;
}

Savepoint::~Savepoint() {
    --db_.savepoints_;
    if (!open_ || !db_.InTransaction()) return;
    sqlite3* handle = db_.transactionConnection().handle();
    sqlite3_exec(handle, ("ROLLBACK TO " + name_).c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(handle, ("RELEASE " + name_).c_str(), nullptr, nullptr, nullptr);
}

void Savepoint::Release() {
    if (!open_) return;
    open_ = false;
    run("RELEASE " + name_);
}

void Savepoint::Rollback() {
    if (!open_) return;
    open_ = false;
    run("ROLLBACK TO " + name_);
    run("RELEASE " + name_);
}

void Savepoint::run(const std::string& sql) {
    if (!db_.InTransaction()) throw DatabaseError(SQLITE_MISUSE, "the transaction is no longer open");
    Statement statement(db_.transactionConnection(), sql);
    statement.step();
}

}  // namespace exam::db
