#include "app/db/Database.h"

#include <sqlite3.h>

#include "app/db/DatabaseError.h"
#include "app/db/Statement.h"
#include "app/db/Transaction.h"
#include "app/db/WriteGate.h"

namespace exam::db {

Database::Database() = default;

Database::Database(const std::filesystem::path& file) {
    Open(file);
}

Database::~Database() {
    Close();
}

void Database::Open(const std::filesystem::path& file) {
    Close();
    std::shared_ptr<ConnectionPool> pool = ConnectionPool::forFile(file);
    // Borrowing once opens a first connection if the pool has none, so a missing file or
    // one that is no database is reported here, as before any statement.
    pool->lease();
    pool_ = std::move(pool);
    file_ = file;
}

void Database::Close() {
    if (pool_ == nullptr) return;
    if (transaction_ != nullptr) {
        sqlite3_exec(transactionConnection().handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        transaction_ = nullptr;
    }
    pool_.reset();
}

ConnectionPool& Database::Pool() const {
    if (pool_ == nullptr) throw DatabaseError(SQLITE_MISUSE, "the database connection is closed");
    return *pool_;
}

std::uint64_t Database::TransactionNumber() const {
    return transaction_ != nullptr ? transaction_->number() : 0;
}

Connection& Database::transactionConnection() const {
    return transaction_->connection();
}

void Database::Write(const std::function<void()>& body) {
    if (InTransaction()) {
        body();
        return;
    }
    Transaction transaction(*this);
    body();
    transaction.Commit();
}

void Database::Checkpoint() {
    Pool();  // raises when closed
    // Gate first, then a connection: a writer holds the gate while it borrows, never
    // the other way round.
    const WriteGateLock gate = enterWriteGate();
    WithConnection([&](Connection& connection) {
        const int rc = sqlite3_wal_checkpoint_v2(connection.handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE,
                                                 nullptr, nullptr);
        if (rc != SQLITE_OK) {
            if (breaksConnection(rc)) connection.markBroken();
            raiseEngineError(connection.handle(), rc);
        }
    });
}

std::int64_t Database::LastInsertId() const {
    Pool();
    return lastInsertId_;
}

void Database::BeforeWrite(Connection& connection) {
    sqlite3_set_last_insert_rowid(connection.handle(), 0);
}

void Database::AfterWrite(Connection& connection) {
    const std::int64_t id = sqlite3_last_insert_rowid(connection.handle());
    if (id != 0) lastInsertId_ = id;
}

}  // namespace exam::db
