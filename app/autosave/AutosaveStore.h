#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace exam {

// One change of the autosave file: a session's saved sheet replaced, or (no sheet) removed.
struct AutosaveChange {
    std::string sessionId;
    std::optional<std::string> sheet;
    // Seconds since the epoch.
    std::int64_t savedAt = 0;
};

using AutosaveLog = std::function<void(const std::string&)>;

// The autosave file: one row per session id with the session's serialised answer sheet
// and when it was saved. It is a database file of its own, beside db1.db, in WAL mode with
// synchronous=NORMAL: a commit reaches the operating system before it returns (a crashed
// process loses nothing committed) and is flushed to the disk at the next checkpoint.
// All operations are serialised by the store.
class AutosaveStore final {
public:
    // Opens or creates the file. A file that is not a database or fails its check is
    // renamed aside (name + ".corrupt-" + time) and a new one is created. Raises
    // db::DatabaseError when no usable file can be had (a locked or unwritable one).
    AutosaveStore(std::filesystem::path file, AutosaveLog log);
    ~AutosaveStore();
    AutosaveStore(const AutosaveStore&) = delete;
    AutosaveStore& operator=(const AutosaveStore&) = delete;

    // All changes in one transaction.
    void apply(const std::vector<AutosaveChange>& changes);
    std::optional<std::string> load(std::string_view sessionId);
    // Removes the rows saved before `cutoff` (seconds since the epoch); the number removed.
    int removeOlderThan(std::int64_t cutoff);
    // Writes the log into the file, flushing both to the disk.
    void checkpoint();
    // Replaces a file that turned out damaged while in use by a fresh one.
    void recover();

    const std::filesystem::path& file() const { return file_; }

private:
    void open();
    void close();
    bool usable();
    void setAside();
    void exec(const char* sql);

    std::filesystem::path file_;
    AutosaveLog log_;
    std::mutex mutex_;
    sqlite3* db_ = nullptr;
};

// Ids are matched without regard to case, as the session table does.
std::string AutosaveKey(std::string_view sessionId);

}  // namespace exam
