#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/db/Connection.h"
#include "app/db/WriteGate.h"

namespace exam::db {

class Database;

// One write transaction: holds the process-wide write gate, then borrows a connection
// from the pool and runs BEGIN IMMEDIATE at construction; rolls back at destruction
// unless committed. Statements run through the same Database in the meantime join it
// on its connection without entering the gate again. One transaction per Database at a
// time.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Makes the changes lasting. A failed commit rolls back and raises DatabaseError.
    void Commit();
    // Drops the changes now instead of at destruction.
    void Rollback();
    bool Active() const { return active_; }

    // The connection the transaction runs on.
    Connection& connection() const { return *lease_; }
    // Tells this transaction from every other one of the process, earlier or later.
    std::uint64_t number() const { return number_; }

private:
    void finish(const char* sql);

    Database& db_;
    // Declared in this order so the connection goes back before the gate opens.
    std::optional<WriteGateLock> gate_;
    ConnectionLease lease_;
    bool active_ = false;
    std::uint64_t number_ = 0;
};

// A part of the open transaction of a Database that can be undone alone: SAVEPOINT at
// construction, ROLLBACK TO at Rollback or destruction unless released.
class Savepoint {
public:
    // Raises DatabaseError when `db` has no open transaction.
    explicit Savepoint(Database& db);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    // Keeps the changes as part of the transaction.
    void Release();
    // Undoes the changes made since the savepoint; raises DatabaseError when that fails,
    // which leaves the transaction unusable.
    void Rollback();

private:
    void run(const std::string& sql);

    Database& db_;
    std::string name_;
    bool open_ = false;
};

}  // namespace exam::db
