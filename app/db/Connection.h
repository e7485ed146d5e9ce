#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/db/FileChangeWatch.h"

struct sqlite3;
struct sqlite3_stmt;

namespace exam::db {

// One engine connection to the exam database with its own cache of prepared statements.
// It belongs to a ConnectionPool and is used by one thread at a time, while leased.
// Every connection gets the same settings: WAL journal, full sync, a 5 s busy timeout,
// foreign keys off, a small page cache and a bounded WAL file.
class Connection {
public:
    static constexpr int kBusyTimeoutMs = 5000;
    static constexpr int kCacheSizeKiB = 512;
    static constexpr std::int64_t kWalSizeLimit = 8 * 1024 * 1024;
    static constexpr int kWalAutoCheckpointPages = 1000;
    // Statements kept prepared per connection; the pages use far fewer texts than this.
    static constexpr std::size_t kStatementCacheSize = 160;

    // Opens an existing database file; never creates one. Raises DatabaseError with the
    // engine's message when the file is missing or is not a database.
    explicit Connection(const std::filesystem::path& file);
    // Closes through the write gate: closing the last connection checkpoints the WAL.
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return handle_; }

    // A prepared statement of `sql` (exactly one statement), from the cache when this text
    // was prepared here before and that statement is not in use. Give it back with
    // checkIn. `cached` tells whether it belongs to the cache.
    sqlite3_stmt* checkOut(std::string_view sql, bool& cached);
    void checkIn(sqlite3_stmt* statement, bool cached);
    // How many statements were prepared on this connection so far.
    std::size_t prepareCount() const { return prepares_.load(); }

    // The text a select is run as, remembered per plain text (see Query): empty when not known yet.
    std::string* selectPlan(const std::string& sql);
    void rememberSelectPlan(const std::string& sql, std::string runAs);

    // A connection that hit a fault of the connection itself (I/O, corruption, a file that
    // went away) is closed when it goes back to the pool, and a new one takes its place.
    void markBroken() { broken_ = true; }
    bool broken() const { return broken_; }
    // False when the file under the connection was removed or replaced since it opened.
    bool stillOnFile() const;

private:
    struct Cached {
        std::string sql;
        sqlite3_stmt* statement = nullptr;
        bool inUse = false;
    };
    using CacheList = std::list<Cached>;

    void configure();
    void exec(const char* sql);
    sqlite3_stmt* prepare(std::string_view sql);
    void evictOne();

    sqlite3* handle_ = nullptr;
    std::filesystem::path file_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool broken_ = false;
    std::atomic<std::size_t> prepares_{0};
    // Most recently used first.
    CacheList cache_;
    std::unordered_map<std::string_view, CacheList::iterator> index_;
    std::unordered_map<std::string, std::string> selectPlans_;
    // Source of the per-row random sort keys of Rnd(); its address is handed to the engine.
    std::unique_ptr<std::mt19937_64> random_;
};

class ConnectionLease;

// The connections of one database file, shared by every Database on that file in the
// process. A statement borrows a connection only while it runs, a write transaction from
// BEGIN IMMEDIATE to its end; idle sessions hold none. Connections are opened on demand
// up to the pool's size and stay open while the pool lives.
class ConnectionPool : public std::enable_shared_from_this<ConnectionPool> {
public:
    // About the number of request workers.
    static constexpr std::size_t kDefaultSize = 32;
    // A statement that finds every connection busy for this long gives up.
    static constexpr std::chrono::milliseconds kLeaseWait{Connection::kBusyTimeoutMs};

    // The pool of `file`, shared with every other user of the same file.
    static std::shared_ptr<ConnectionPool> forFile(const std::filesystem::path& file);
    // The size of pools made from now on (tests use small pools).
    static void setDefaultSize(std::size_t size);

    ConnectionPool(std::filesystem::path file, std::size_t size);
    ~ConnectionPool();
    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;

    // A connection for the caller alone, waiting up to kLeaseWait for one to come free.
    // Raises DatabaseError when none can be opened (the file is missing or no database)
    // or none came free.
    ConnectionLease lease();

    const std::filesystem::path& file() const { return file_; }
    std::size_t size() const { return size_; }
    // Connections open now, leased or idle.
    std::size_t openCount() const;
    // Statements prepared on all connections of the pool, including closed ones.
    std::size_t prepareCount() const;
    // A number that stays the same while nothing writes the file, from this process or
    // another, and is never the same for two states of the file nor for two pools: a
    // result read while it was N may stand for a new read while it is still N. Take it
    // before the read. A new number at every call where the file cannot be watched.
    std::uint64_t dataGeneration();

private:
    friend class ConnectionLease;
    void giveBack(std::unique_ptr<Connection> connection);

    const std::filesystem::path file_;
    const std::size_t size_;
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    std::vector<std::unique_ptr<Connection>> idle_;
    std::size_t open_ = 0;
    std::size_t closedPrepares_ = 0;
    std::vector<const Connection*> all_;
    std::mutex watchMutex_;
    FileChangeWatch watch_;
    std::uint64_t generation_;
};

// A connection borrowed from a pool, given back when the lease goes.
class ConnectionLease {
public:
    ConnectionLease() = default;
    ConnectionLease(std::shared_ptr<ConnectionPool> pool, std::unique_ptr<Connection> connection);
    ~ConnectionLease();
    ConnectionLease(ConnectionLease&& other) noexcept = default;
    ConnectionLease& operator=(ConnectionLease&& other) noexcept;

    explicit operator bool() const { return connection_ != nullptr; }
    Connection& operator*() const { return *connection_; }
    Connection* operator->() const { return connection_.get(); }
    void reset();

private:
    std::shared_ptr<ConnectionPool> pool_;
    std::unique_ptr<Connection> connection_;
};

// Whether an engine result code means the connection itself is no longer to be trusted.
bool breaksConnection(int code);

}  // namespace exam::db
