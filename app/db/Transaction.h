#pragma once

#include <optional>

#include "app/db/WriteGate.h"

namespace exam::db {

class Database;

// One write transaction: holds the process-wide write gate and runs BEGIN IMMEDIATE at
// construction; rolls back at destruction unless committed. Statements run on the same
// connection in the meantime join it without entering the gate again. One transaction
// per connection at a time.
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

private:
    void finish(const char* sql);

    Database& db_;
    std::optional<WriteGateLock> gate_;
    bool active_ = false;
};

}  // namespace exam::db
