#include "app/autosave/AutosaveStore.h"

#include <sqlite3.h>

#include <chrono>
#include <ctime>

#include "app/db/DatabaseError.h"
#include "app/db/Statement.h"

namespace exam {
namespace {

// How long a statement waits for another process's lock before it gives up.
constexpr int kBusyTimeoutMs = 1000;

bool damaged(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string timeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

}  // namespace

std::string AutosaveKey(std::string_view sessionId) {
    std::string key(sessionId);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

AutosaveStore::AutosaveStore(std::filesystem::path file, AutosaveLog log)
    : file_(std::move(file)), log_(std::move(log)) {
    try {
        open();
        if (usable()) return;
    } catch (const db::DatabaseError& error) {
        if (!damaged(error.code())) {
            close();
            throw;
        }
    }
    close();
    setAside();
    open();
}

AutosaveStore::~AutosaveStore() {
    close();
}

void AutosaveStore::open() {
    const int code =
        sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) db::raiseEngineError(db_, code);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    exec(
        "CREATE TABLE IF NOT EXISTS autosave (session_id TEXT PRIMARY KEY, saved_at INTEGER NOT NULL, "
        "sheet TEXT NOT NULL)");
}

void AutosaveStore::close() {
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
}

// The file reads as a whole: its pages and the table's index agree.
bool AutosaveStore::usable() {
    db::Statement check(db_, "PRAGMA quick_check");
    return check.step() && check.column(0).toString() == "ok";
}

void AutosaveStore::setAside() {
    const std::string aside = file_.string() + ".corrupt-" + timeStamp();
    std::error_code error;
    std::filesystem::rename(file_, aside, error);
    if (error) {
        log_("The damaged autosave file " + file_.string() + " could not be set aside: " + error.message());
        std::filesystem::remove(file_, error);
    } else {
        log_("The autosave file " + file_.string() + " was damaged; it was renamed to " + aside +
             " and a new one is used.");
    }
    // A log or index of the damaged file must not be read into the new one.
    for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(file_.string() + suffix, error);
}

void AutosaveStore::recover() {
    std::lock_guard lock(mutex_);
    close();
    setAside();
    open();
}

void AutosaveStore::exec(const char* sql) {
    char* message = nullptr;
    const int code = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (message != nullptr) sqlite3_free(message);
    if (code != SQLITE_OK) db::raiseEngineError(db_, code);
}

void AutosaveStore::apply(const std::vector<AutosaveChange>& changes) {
    std::lock_guard lock(mutex_);
    exec("BEGIN IMMEDIATE");
    try {
        db::Statement put(db_, "INSERT OR REPLACE INTO autosave (session_id,saved_at,sheet) VALUES (?,?,?)");
        db::Statement drop(db_, "DELETE FROM autosave WHERE session_id=?");
        for (const AutosaveChange& change : changes) {
            db::Statement& statement = change.sheet ? put : drop;
            statement.bind(1, AutosaveKey(change.sessionId));
            if (change.sheet) {
                statement.bind(2, change.savedAt);
                statement.bind(3, *change.sheet);
            }
            statement.step();
            statement.reset();
        }
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::optional<std::string> AutosaveStore::load(std::string_view sessionId) {
    std::lock_guard lock(mutex_);
    db::Statement read(db_, "SELECT sheet FROM autosave WHERE session_id=?");
    read.bind(1, AutosaveKey(sessionId));
    if (!read.step()) return std::nullopt;
    return read.column(0).toString();
}

int AutosaveStore::removeOlderThan(std::int64_t cutoff) {
    std::lock_guard lock(mutex_);
    db::Statement remove(db_, "DELETE FROM autosave WHERE saved_at<?");
    remove.bind(1, cutoff);
    remove.step();
    return sqlite3_changes(db_);
}

void AutosaveStore::checkpoint() {
    std::lock_guard lock(mutex_);
    exec("PRAGMA wal_checkpoint(PASSIVE)");
}

}  // namespace exam
