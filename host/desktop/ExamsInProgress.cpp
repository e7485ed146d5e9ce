#include "host/desktop/ExamsInProgress.h"

#include <sqlite3.h>

#include <memory>

#include "app/db/Statement.h"

namespace host {
namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

}  // namespace

std::size_t CandidatesInExam(const std::filesystem::path& autosaveFile, std::int64_t now,
                             std::chrono::seconds within) {
    std::error_code missing;
    if (!std::filesystem::exists(autosaveFile, missing)) return 0;
    sqlite3* opened = nullptr;
    // Read-only beside the server's own writer; a busy file is waited for briefly.
    int status = sqlite3_open_v2(autosaveFile.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, CloseDatabase> db(opened);
    if (status != SQLITE_OK) return 0;
    sqlite3_busy_timeout(db.get(), 500);
    try {
        exam::db::Statement count(db.get(), "SELECT count(*) FROM autosave WHERE saved_at>=?");
        count.bind(1, exam::db::Value(now - within.count()));
        if (!count.step()) return 0;
        return static_cast<std::size_t>(count.column(0).toInteger());
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace host
