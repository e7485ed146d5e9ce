#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/autosave/AutosaveStore.h"
#include "app/exam/AnswerSheet.h"

namespace exam {

struct AutosaveSettings {
    // Beside db1.db.
    std::filesystem::path file = "autosave.db";
    // A saved sheet whose session ended without a hand-in is kept this long after its
    // last save, so that a page left open can still come back.
    std::chrono::seconds keep = std::chrono::hours(24);
    // How often what was committed is flushed to the disk: a power cut loses at most this.
    std::chrono::milliseconds syncInterval{1000};
    // How often sheets older than `keep` are removed (also once at start).
    std::chrono::seconds purgeInterval = std::chrono::hours(1);
    // Seconds since the epoch; tests move it.
    std::function<std::int64_t()> now;
    AutosaveLog log;
};

// Keeps every candidate's answer sheet as it changes. One writer thread commits whatever
// waits as one transaction, so many clicks share a commit; a save returns once its sheet
// is committed (in the operating system, not yet on the disk), so a page reply sent after
// it never announces an answer that a crash of the process could lose. A move to another
// question announces none and joins a later commit. The writer flushes to the disk every
// `syncInterval`.
//
// A file that cannot be opened or written never stops an exam: the problem is logged, a
// damaged file set aside and replaced, and without a file the calls do nothing.
class Autosave final {
public:
    explicit Autosave(AutosaveSettings settings);
    ~Autosave();
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;

    // Saves the sheet and returns once it is committed.
    void save(const std::string& sessionId, const AnswerSheet& sheet);
    // For a sheet that only moved to another question since its last save: nothing a
    // crash could lose but the question shown. Returns at once; the sheet is written with
    // the session's next save or within `syncInterval`, whichever comes first, so that
    // clicking through the questions costs no commit per click.
    void saveMove(const std::string& sessionId, const AnswerSheet& sheet);
    void remove(const std::string& sessionId);
    // The sheet saved under the id; nullopt when there is none. A sheet that cannot be
    // read back is removed.
    std::optional<AnswerSheet> load(const std::string& sessionId);

    bool running() const { return store_ != nullptr; }

    struct Counters {
        std::uint64_t commits = 0;
        std::uint64_t rows = 0;
    };
    Counters counters() const;

private:
    void enqueue(const std::string& sessionId, std::optional<std::string> sheet);
    void writerLoop();
    void commit(std::unique_lock<std::mutex>& lock);
    void takeMoves();
    void housekeeping(std::unique_lock<std::mutex>& lock);
    std::int64_t now() const;
    void log(const std::string& line) const;

    AutosaveSettings settings_;
    std::unique_ptr<AutosaveStore> store_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable committed_;
    // The latest change per session id (a later save replaces an earlier one not yet written).
    std::map<std::string, AutosaveChange> pending_;
    // Moves waiting for the next commit of their session or for the next sync, per session
    // id; a save or removal of the session replaces its move, which it includes.
    std::map<std::string, AutosaveChange> moves_;
    std::uint64_t queuedTicket_ = 0;
    std::uint64_t committedTicket_ = 0;
    bool stopping_ = false;
    bool unsynced_ = false;
    std::chrono::steady_clock::time_point lastSync_;
    std::chrono::steady_clock::time_point lastPurge_;
    Counters counters_;
    std::thread writer_;
};

// The autosave of the running server (borrowed), or nullptr where none runs (tests of the
// pages, a server started without one).
Autosave* InstalledAutosave();
void InstallAutosave(Autosave* autosave);

// The message a candidate sees on a paper brought back.
inline constexpr const char* kResumedMessage = "服务器已重新启动，您的答题已恢复，请继续答题。";

}  // namespace exam
