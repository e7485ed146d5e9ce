#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string_view>

struct sqlite3;

namespace exam::db {

class Transaction;

// The exam database, looked for in the process's working directory.
inline constexpr std::string_view kDatabaseFileName = "db1.db";

// One connection to the exam database. A session owns exactly one and uses it from one
// thread at a time. Every connection gets the same settings: WAL journal, full sync,
// a 5 s busy timeout, foreign keys off, a small page cache and a bounded WAL file.
// Writes run as BEGIN IMMEDIATE transactions behind the process-wide write gate.
class Database {
public:
    static constexpr int kBusyTimeoutMs = 5000;
    static constexpr int kCacheSizeKiB = 512;
    static constexpr std::int64_t kWalSizeLimit = 8 * 1024 * 1024;
    static constexpr int kWalAutoCheckpointPages = 1000;

    Database();
    // Opens `file` at once (see Open).
    explicit Database(const std::filesystem::path& file);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing database file; never creates one. Raises DatabaseError with the
    // engine's message when the file is missing or is not a database.
    void Open(const std::filesystem::path& file);
    // Rolls back an open transaction, then closes. Closing a closed connection does nothing.
    void Close();
    bool Connected() const { return handle_ != nullptr; }
    const std::filesystem::path& FileName() const { return file_; }

    // True while a Transaction of this connection is open.
    bool InTransaction() const { return transaction_ != nullptr; }
    // Runs `body` as one write transaction, or as part of the one already open here.
    void Write(const std::function<void()>& body);
    // Copies the WAL back into the database file as far as readers allow.
    void Checkpoint();
    // The key of the row most recently inserted through this connection.
    std::int64_t LastInsertId() const;

    // The engine handle; raises DatabaseError when the connection is closed.
    sqlite3* handle() const;

private:
    friend class Transaction;

    void configure();
    void exec(const char* sql);

    sqlite3* handle_ = nullptr;
    std::filesystem::path file_;
    // The transaction open on this connection, if any.
    Transaction* transaction_ = nullptr;
    // Source of the per-row random sort keys of Rnd(); its address is handed to the engine.
    std::unique_ptr<std::mt19937_64> random_;
};

}  // namespace exam::db
