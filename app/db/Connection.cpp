#include "app/db/Connection.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <map>

#include "app/db/DatabaseError.h"
#include "app/db/Statement.h"
#include "app/db/WriteGate.h"
#include "web/server/transport/WorkerWait.h"

namespace exam::db {
namespace {

// SQLite counts the memory it holds under one process-wide lock, taken at every allocation
// of every connection; nothing here reads the count, and the workers' queries would queue on
// that lock. Set before SQLite starts, which is at the first connection opened; a program
// that started SQLite earlier keeps the count.
const bool kMemoryCountOff = [] { return sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK; }();

// Rnd(...): a fresh random number in [0, 1) for every call, so "Order By Rnd(ID)" sorts
// the rows by a key drawn per row and per run. The argument is ignored.
void randomNumber(sqlite3_context* context, int, sqlite3_value**) {
    auto* random = static_cast<std::mt19937_64*>(sqlite3_user_data(context));
    sqlite3_result_double(context, static_cast<double>((*random)() >> 11) * 0x1.0p-53);
}

// The engine treats names starting with "file:" as URIs; a plain path must stay a path.
std::string plainPath(const std::filesystem::path& file) {
    std::string path = file.string();
    if (path.rfind("file:", 0) == 0) path = "./" + path;
    return path;
}

// The first column of the first row of `sql` as text; empty when there is no row.
std::string firstText(sqlite3* handle, const char* sql) {
    Statement statement(handle, sql);
    return statement.step() ? statement.column(0).toString() : std::string();
}

bool onlySeparators(const char* text) {
    for (; *text != '\0'; ++text) {
        const unsigned char c = static_cast<unsigned char>(*text);
        if (c > ' ' && c != ';') return false;
    }
    return true;
}

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, std::weak_ptr<ConnectionPool>>& registry() {
    static std::map<std::string, std::weak_ptr<ConnectionPool>> pools;
    return pools;
}

std::size_t& defaultSize() {
    static std::size_t size = ConnectionPool::kDefaultSize;
    return size;
}

}  // namespace

bool breaksConnection(int code) {
    switch (code & 0xff) {
        case SQLITE_IOERR:
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_CANTOPEN:
        case SQLITE_FULL:
        case SQLITE_NOMEM:
        case SQLITE_READONLY:
        case SQLITE_PROTOCOL:
        case SQLITE_INTERNAL:
        case SQLITE_PERM:
            return true;
        default:
            return false;
    }
}

// --- Connection ---------------------------------------------------------------------

Connection::Connection(const std::filesystem::path& file) : file_(file) {
    const int rc =
        sqlite3_open_v2(plainPath(file).c_str(), &handle_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message =
            std::string(handle_ != nullptr ? sqlite3_errmsg(handle_) : sqlite3_errstr(rc)) + ": " +
            file.string();
        sqlite3_close_v2(handle_);
        throw DatabaseError(rc, message);
    }
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    try {
        configure();
    } catch (...) {
        sqlite3_close_v2(handle_);
        throw;
    }
}

Connection::~Connection() {
    const WriteGateLock gate = enterWriteGateUnbounded();
    for (Cached& entry : cache_) sqlite3_finalize(entry.statement);
    if (sqlite3_get_autocommit(handle_) == 0) sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(handle_);
}

void Connection::configure() {
    sqlite3_busy_timeout(handle_, kBusyTimeoutMs);
    // The file keeps its journal mode, so only its first opening switches it to WAL, and
    // only that switch writes to the file and passes the write gate. Every later opening
    // just reads the mode and never waits behind hand-ins.
    if (firstText(handle_, "PRAGMA journal_mode") != "wal") {
        const WriteGateLock gate = enterWriteGate();
        if (firstText(handle_, "PRAGMA journal_mode=WAL") != "wal") {
            throw DatabaseError(SQLITE_CANTOPEN,
                                "the database journal cannot be switched to WAL: " + file_.string());
        }
    }
    exec("PRAGMA synchronous=FULL");
    exec("PRAGMA foreign_keys=OFF");
    exec(("PRAGMA cache_size=-" + std::to_string(kCacheSizeKiB)).c_str());
    exec(("PRAGMA journal_size_limit=" + std::to_string(kWalSizeLimit)).c_str());
    exec(("PRAGMA wal_autocheckpoint=" + std::to_string(kWalAutoCheckpointPages)).c_str());

    random_ = std::make_unique<std::mt19937_64>(std::random_device{}());
    const int rc = sqlite3_create_function_v2(handle_, "Rnd", -1, SQLITE_UTF8, random_.get(), randomNumber,
                                              nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raiseEngineError(handle_, rc);
}

void Connection::exec(const char* sql) {
    const int rc = sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raiseEngineError(handle_, rc);
}

bool Connection::stillOnFile() const {
    struct stat info {};
    return ::stat(file_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
}

sqlite3_stmt* Connection::prepare(std::string_view sql) {
    if (sql.size() >= static_cast<std::size_t>(INT_MAX))
        throw DatabaseError(SQLITE_TOOBIG, "statement too long");
    const std::string text(sql);  // the tail check needs a terminated text
    const char* tail = nullptr;
    sqlite3_stmt* statement = nullptr;
    ++prepares_;
    const int rc =
        sqlite3_prepare_v2(handle_, text.c_str(), static_cast<int>(text.size()) + 1, &statement, &tail);
    if (rc != SQLITE_OK) raiseEngineError(handle_, rc);
    if (statement == nullptr) throw DatabaseError(SQLITE_MISUSE, "the statement text is empty");
    if (tail != nullptr && !onlySeparators(tail)) {
        sqlite3_finalize(statement);
        throw DatabaseError(SQLITE_MISUSE, "the statement text holds more than one statement");
    }
    return statement;
}

sqlite3_stmt* Connection::checkOut(std::string_view sql, bool& cached) {
    const auto found = index_.find(sql);
    if (found != index_.end()) {
        if (found->second->inUse) {
            // The same text runs twice at once on this connection: the second is a one-off.
            cached = false;
            return prepare(sql);
        }
        cache_.splice(cache_.begin(), cache_, found->second);
        found->second->inUse = true;
        cached = true;
        return found->second->statement;
    }
    sqlite3_stmt* statement = prepare(sql);
    if (cache_.size() >= kStatementCacheSize) evictOne();
    if (cache_.size() >= kStatementCacheSize) {
        cached = false;
        return statement;
    }
    cache_.push_front(Cached{std::string(sql), statement, true});
    index_.emplace(cache_.front().sql, cache_.begin());
    cached = true;
    return statement;
}

void Connection::checkIn(sqlite3_stmt* statement, bool cached) {
    if (!cached) {
        sqlite3_finalize(statement);
        return;
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    for (Cached& entry : cache_) {
        if (entry.statement == statement) {
            entry.inUse = false;
            return;
        }
    }
}

void Connection::evictOne() {
    for (auto entry = cache_.rbegin(); entry != cache_.rend(); ++entry) {
        if (entry->inUse) continue;
        index_.erase(entry->sql);
        sqlite3_finalize(entry->statement);
        cache_.erase(std::next(entry).base());
        return;
    }
}

std::string* Connection::selectPlan(const std::string& sql) {
    const auto found = selectPlans_.find(sql);
    return found == selectPlans_.end() ? nullptr : &found->second;
}

void Connection::rememberSelectPlan(const std::string& sql, std::string runAs) {
    if (selectPlans_.size() >= kStatementCacheSize) selectPlans_.clear();
    selectPlans_[sql] = std::move(runAs);
}

// --- ConnectionPool -----------------------------------------------------------------

std::shared_ptr<ConnectionPool> ConnectionPool::forFile(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
    if (absolute.empty()) absolute = file;
    const std::string key = absolute.lexically_normal().string();
    std::lock_guard lock(registryMutex());
    auto& slot = registry()[key];
    if (auto pool = slot.lock()) return pool;
    auto pool = std::make_shared<ConnectionPool>(file, defaultSize());
    slot = pool;
    // Forget pools that are gone, so the table stays as small as the files in use.
    std::erase_if(registry(), [](const auto& entry) { return entry.second.expired(); });
    return pool;
}

void ConnectionPool::setDefaultSize(std::size_t size) {
    std::lock_guard lock(registryMutex());
    defaultSize() = std::max<std::size_t>(1, size);
}

namespace {

// Shared by all pools, so that no two pools ever hand out the same generation.
std::atomic<std::uint64_t> nextDataGeneration{1};

}  // namespace

ConnectionPool::ConnectionPool(std::filesystem::path file, std::size_t size)
    : file_(std::move(file)),
      size_(std::max<std::size_t>(1, size)),
      watch_(file_),
      generation_(nextDataGeneration++) {}

ConnectionPool::~ConnectionPool() = default;

std::uint64_t ConnectionPool::dataGeneration() {
    std::lock_guard lock(watchMutex_);
    if (watch_.changed()) generation_ = nextDataGeneration++;
    return generation_;
}

ConnectionLease ConnectionPool::lease() {
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + kLeaseWait;
    for (;;) {
        while (!idle_.empty()) {
            std::unique_ptr<Connection> connection = std::move(idle_.back());
            idle_.pop_back();
            // Looked at without the lock: it is a system call, and every query leases.
            lock.unlock();
            if (connection->stillOnFile()) return ConnectionLease(shared_from_this(), std::move(connection));
            lock.lock();
            // The file was removed or replaced: this connection would go on with the old one.
            --open_;
            closedPrepares_ += connection->prepareCount();
            std::erase(all_, connection.get());
            lock.unlock();
            connection.reset();
            lock.lock();
        }
        if (open_ < size_) {
            ++open_;
            lock.unlock();
            try {
                auto connection = std::make_unique<Connection>(file_);
                lock.lock();
                all_.push_back(connection.get());
                return ConnectionLease(shared_from_this(), std::move(connection));
            } catch (...) {
                lock.lock();
                --open_;
                freed_.notify_one();
                throw;
            }
        }
        web::WorkerWait wait;
        if (freed_.wait_until(lock, deadline) == std::cv_status::timeout && idle_.empty() && open_ >= size_) {
            throw DatabaseError(SQLITE_BUSY, "database is locked: no database connection came free in time");
        }
    }
}

void ConnectionPool::giveBack(std::unique_ptr<Connection> connection) {
    std::unique_lock lock(mutex_);
    if (connection->broken()) {
        --open_;
        closedPrepares_ += connection->prepareCount();
        std::erase(all_, connection.get());
        lock.unlock();
        connection.reset();  // closes outside the pool's lock, through the write gate
        lock.lock();
    } else {
        idle_.push_back(std::move(connection));
    }
    freed_.notify_one();
}

std::size_t ConnectionPool::openCount() const {
    std::lock_guard lock(mutex_);
    return open_;
}

std::size_t ConnectionPool::prepareCount() const {
    std::lock_guard lock(mutex_);
    std::size_t count = closedPrepares_;
    for (const Connection* connection : all_) count += connection->prepareCount();
    return count;
}

// --- ConnectionLease ----------------------------------------------------------------

ConnectionLease::ConnectionLease(std::shared_ptr<ConnectionPool> pool, std::unique_ptr<Connection> connection)
    : pool_(std::move(pool)), connection_(std::move(connection)) {}

ConnectionLease::~ConnectionLease() {
    reset();
}

ConnectionLease& ConnectionLease::operator=(ConnectionLease&& other) noexcept {
    if (this != &other) {
        reset();
        pool_ = std::move(other.pool_);
        connection_ = std::move(other.connection_);
    }
    return *this;
}

void ConnectionLease::reset() {
    if (connection_ == nullptr) return;
    // A connection given back inside a transaction would carry it to the next borrower.
    if (sqlite3_get_autocommit(connection_->handle()) == 0) connection_->markBroken();
    pool_->giveBack(std::move(connection_));
    pool_.reset();
}

}  // namespace exam::db
