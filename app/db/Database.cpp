#include "app/db/Database.h"

#include <sqlite3.h>

#include <string>

#include "app/db/DatabaseError.h"
#include "app/db/Statement.h"
#include "app/db/Transaction.h"
#include "app/db/WriteGate.h"

namespace exam::db {
namespace {

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

}  // namespace

Database::Database() = default;

Database::Database(const std::filesystem::path& file) {
    Open(file);
}

Database::~Database() {
    Close();
}

void Database::Open(const std::filesystem::path& file) {
    Close();
    sqlite3* handle = nullptr;
    const int rc =
        sqlite3_open_v2(plainPath(file).c_str(), &handle,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message =
            std::string(handle != nullptr ? sqlite3_errmsg(handle) : sqlite3_errstr(rc)) + ": " +
            file.string();
        sqlite3_close_v2(handle);
        throw DatabaseError(rc, message);
    }
    handle_ = handle;
    file_ = file;
    try {
        configure();
    } catch (...) {
        sqlite3_close_v2(handle_);
        handle_ = nullptr;
        random_.reset();
        throw;
    }
}

void Database::configure() {
    sqlite3_busy_timeout(handle_, kBusyTimeoutMs);
    // The file keeps its journal mode, so only its first opening switches it to WAL, and
    // only that switch writes to the file and passes the write gate. Every later opening
    // (one per new session) just reads the mode and never waits behind hand-ins.
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

void Database::Close() {
    if (handle_ == nullptr) return;
    // Closing the last connection checkpoints the WAL, so it passes through the gate too.
    const WriteGateLock gate = enterWriteGateUnbounded();
    if (transaction_ != nullptr) sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
    transaction_ = nullptr;
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
    random_.reset();
}

void Database::exec(const char* sql) {
    const int rc = sqlite3_exec(handle(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raiseEngineError(handle_, rc);
}

sqlite3* Database::handle() const {
    if (handle_ == nullptr) throw DatabaseError(SQLITE_MISUSE, "the database connection is closed");
    return handle_;
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
    sqlite3* db = handle();
    const WriteGateLock gate = enterWriteGate();
    const int rc = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    if (rc != SQLITE_OK) raiseEngineError(db, rc);
}

std::int64_t Database::LastInsertId() const {
    return sqlite3_last_insert_rowid(handle());
}

}  // namespace exam::db
