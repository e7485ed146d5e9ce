#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "app/db/Connection.h"

namespace exam::db {

class Transaction;

// The exam database, looked for in the process's working directory.
inline constexpr std::string_view kDatabaseFileName = "db1.db";

// A handle on the exam database, as a session holds it. It owns no engine connection:
// each statement borrows one from the file's process-wide ConnectionPool while it runs,
// and a write Transaction holds one from BEGIN IMMEDIATE to its end, so an idle holder
// costs neither a file descriptor nor engine memory. Used by one thread at a time.
// Writes run as BEGIN IMMEDIATE transactions behind the process-wide write gate.
class Database {
public:
    static constexpr int kBusyTimeoutMs = Connection::kBusyTimeoutMs;
    static constexpr int kCacheSizeKiB = Connection::kCacheSizeKiB;
    static constexpr std::int64_t kWalSizeLimit = Connection::kWalSizeLimit;
    static constexpr int kWalAutoCheckpointPages = Connection::kWalAutoCheckpointPages;

    Database();
    // Opens `file` at once (see Open).
    explicit Database(const std::filesystem::path& file);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Joins the pool of an existing database file; never creates one. Raises DatabaseError
    // with the engine's message when the file is missing or is not a database.
    void Open(const std::filesystem::path& file);
    // Rolls back an open transaction, then lets go of the pool. Closing a closed handle
    // does nothing.
    void Close();
    bool Connected() const { return pool_ != nullptr; }
    const std::filesystem::path& FileName() const { return file_; }
    // The pool statements borrow from; raises DatabaseError when closed.
    ConnectionPool& Pool() const;

    // True while a Transaction of this handle is open.
    bool InTransaction() const { return transaction_ != nullptr; }
    // The number of the open transaction (see Transaction::number); 0 when none is open.
    std::uint64_t TransactionNumber() const;
    // Runs `body` as one write transaction, or as part of the one already open here.
    void Write(const std::function<void()>& body);
    // Copies the WAL back into the database file as far as readers allow.
    void Checkpoint();
    // The key of the row most recently inserted through this handle.
    std::int64_t LastInsertId() const;

    // Runs body(Connection&) on the open transaction's connection, or on one borrowed
    // from the pool for just this call. The body must not wait for anything but the
    // engine, or it would keep the connection from others.
    template <typename Body>
    decltype(auto) WithConnection(Body&& body) {
        if (transaction_ != nullptr) return body(transactionConnection());
        ConnectionLease lease = Pool().lease();
        return body(*lease);
    }

    // Around a statement that writes on `connection`, so LastInsertId tells this handle's
    // own inserts from those of other borrowers of the same connection.
    void BeforeWrite(Connection& connection);
    void AfterWrite(Connection& connection);

private:
    friend class Transaction;
    friend class Savepoint;

    Connection& transactionConnection() const;

    std::shared_ptr<ConnectionPool> pool_;
    std::filesystem::path file_;
    // The transaction open on this handle, if any.
    Transaction* transaction_ = nullptr;
    std::int64_t lastInsertId_ = 0;
    // Savepoints alive on this handle.
    int savepoints_ = 0;
};

}  // namespace exam::db
