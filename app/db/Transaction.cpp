#include "app/db/Transaction.h"

#include <sqlite3.h>

#include <string>

#include "app/db/Database.h"
#include "app/db/DatabaseError.h"
#include "app/db/Statement.h"

namespace exam::db {

Transaction::Transaction(Database& db) : db_(db) {
    sqlite3* handle = db_.handle();
    if (db_.InTransaction()) {
        throw DatabaseError(SQLITE_MISUSE, "a transaction is already open on this connection");
    }
    gate_.emplace(std::chrono::duration_cast<std::chrono::milliseconds>(kWriteGateWait));
    const int rc = sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raiseEngineError(handle, rc);  // gate_'s destructor leaves the gate
    db_.transaction_ = this;
    active_ = true;
}

Transaction::~Transaction() {
    // A connection closed meanwhile has already rolled back and forgotten this transaction.
    if (active_ && db_.transaction_ == this) {
        sqlite3_exec(db_.handle_, "ROLLBACK", nullptr, nullptr, nullptr);
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
    sqlite3* handle = db_.handle_;
    const int rc = sqlite3_exec(handle, sql, nullptr, nullptr, nullptr);
    active_ = false;
    db_.transaction_ = nullptr;
    if (rc != SQLITE_OK) {
        const DatabaseError error(sqlite3_extended_errcode(handle), sqlite3_errmsg(handle));
        // A failed COMMIT can leave the transaction open; end it so nothing half-done stays.
        if (sqlite3_get_autocommit(handle) == 0) sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        gate_.reset();
        throw error;
    }
    gate_.reset();
}

}  // namespace exam::db
