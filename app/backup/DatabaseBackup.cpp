#include "app/backup/DatabaseBackup.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/db/WriteGate.h"

namespace exam {
namespace {

// An engine connection of the backup's own, closed with this object.
class Connection {
public:
    Connection(const std::filesystem::path& file, int flags) {
        const int rc = sqlite3_open_v2(file.c_str(), &handle_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const std::string reason = handle_ != nullptr ? sqlite3_errmsg(handle_) : sqlite3_errstr(rc);
            sqlite3_close_v2(handle_);
            handle_ = nullptr;
            throw BackupError("Cannot open " + file.string() + ": " + reason);
        }
        sqlite3_busy_timeout(handle_, 5000);
    }
    ~Connection() { sqlite3_close_v2(handle_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* get() const { return handle_; }

    // Every row's first column of `sql`, as text.
    std::string firstColumns(const char* sql) const {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(handle_, sql, -1, &statement, nullptr);
        std::string text;
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
                const unsigned char* value = sqlite3_column_text(statement, 0);
                if (!text.empty()) text += "; ";
                text += value != nullptr ? reinterpret_cast<const char*>(value) : "";
            }
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE) throw BackupError(std::string(sql) + " failed: " + sqlite3_errmsg(handle_));
        return text;
    }

private:
    sqlite3* handle_ = nullptr;
};

// The file the copy is made in: removed again unless it was handed over to its name.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        std::string pattern =
            (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            throw BackupError("Cannot create a file beside " + target.string() + ": " + std::strerror(errno));
        ::close(fd);
        path_ = pattern;
    }
    ~TemporaryFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        std::filesystem::remove(path_.string() + "-journal", ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void copySnapshot(const std::filesystem::path& source, const Connection& target) {
    // Read-only: the copy never writes to the database, nor checkpoints it on closing.
    Connection from(source, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    // Hand-ins of this process wait the moment it takes; all pages go in one step, so the
    // copy is one snapshot.
    const db::WriteGateLock gate = db::enterWriteGate();
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", from.get(), "main");
    if (backup == nullptr) throw BackupError(std::string("Backup failed: ") + sqlite3_errmsg(target.get()));
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        throw BackupError(std::string("Backup failed: ") +
                          sqlite3_errstr(stepped != SQLITE_DONE ? stepped : finished));
    }
}

}  // namespace

void BackupDatabase(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(source, error)) {
        throw BackupError("No database to back up: " + source.string() + " does not exist.");
    }
    if (std::filesystem::symlink_status(target, error).type() != std::filesystem::file_type::not_found) {
        throw BackupError(target.string() + " already exists; a backup never overwrites a file.");
    }
    TemporaryFile copy(target);
    {
        Connection into(copy.path(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
        copySnapshot(source, into);
        // The source's WAL mode came along with its pages; the copy stands alone.
        if (into.firstColumns("PRAGMA journal_mode=DELETE") != "delete") {
            throw BackupError("The copy could not be made a single file.");
        }
        const std::string check = into.firstColumns("PRAGMA integrity_check");
        if (check != "ok") throw BackupError("The copy failed its integrity check: " + check);
    }
    if (::link(copy.path().c_str(), target.c_str()) != 0) {
        const int code = errno;
        if (code == EEXIST)
            throw BackupError(target.string() + " already exists; a backup never overwrites a file.");
        throw BackupError("Cannot write " + target.string() + ": " + std::strerror(code));
    }
}

}  // namespace exam
