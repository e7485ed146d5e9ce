#include "app/autosave/Autosave.h"

#include <atomic>
#include <iostream>

#include "app/db/DatabaseError.h"
#include "web/server/transport/WorkerWait.h"

namespace exam {
namespace {

std::atomic<Autosave*> gInstalled{nullptr};

std::int64_t systemSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool damaged(const db::DatabaseError& error) {
    const int primary = error.code() & 0xff;
    return primary == 11 /* SQLITE_CORRUPT */ || primary == 26 /* SQLITE_NOTADB */;
}

}  // namespace

Autosave* InstalledAutosave() {
    return gInstalled.load();
}
void InstallAutosave(Autosave* autosave) {
    gInstalled.store(autosave);
}

Autosave::Autosave(AutosaveSettings settings) : settings_(std::move(settings)) {
    try {
        store_ =
            std::make_unique<AutosaveStore>(settings_.file, [this](const std::string& line) { log(line); });
    } catch (const std::exception& error) {
        log("The autosave file " + settings_.file.string() + " cannot be used (" + error.what() +
            "); answers are kept in the sessions only.");
        return;
    }
    lastSync_ = lastPurge_ = std::chrono::steady_clock::now();
    try {
        const int removed = store_->removeOlderThan(now() - settings_.keep.count());
        if (removed > 0) log("Removed " + std::to_string(removed) + " expired autosaved papers.");
    } catch (const std::exception& error) {
        log(std::string("Autosave clean-up failed: ") + error.what());
    }
    writer_ = std::thread([this] { writerLoop(); });
}

Autosave::~Autosave() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (writer_.joinable()) writer_.join();
}

std::int64_t Autosave::now() const {
    return settings_.now ? settings_.now() : systemSeconds();
}

void Autosave::log(const std::string& line) const {
    if (settings_.log) {
        settings_.log(line);
    } else {
        std::cerr << line << "\n";
    }
}

void Autosave::save(const std::string& sessionId, const AnswerSheet& sheet) {
    enqueue(sessionId, sheet.serialise());
}

void Autosave::saveMove(const std::string& sessionId, const AnswerSheet& sheet) {
    if (!store_) return;
    std::string text = sheet.serialise();
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    std::string key = AutosaveKey(sessionId);
    // A save of the session still waiting to be written takes the move along.
    if (auto waiting = pending_.find(key); waiting != pending_.end()) {
        waiting->second = AutosaveChange{sessionId, std::move(text), now()};
        return;
    }
    moves_[std::move(key)] = AutosaveChange{sessionId, std::move(text), now()};
}

void Autosave::remove(const std::string& sessionId) {
    enqueue(sessionId, std::nullopt);
}

// The moves join the next commit; a move whose session has a newer change waiting is
// already part of it.
void Autosave::takeMoves() {
    for (auto& [key, move] : moves_) pending_.try_emplace(key, std::move(move));
    moves_.clear();
}

void Autosave::enqueue(const std::string& sessionId, std::optional<std::string> sheet) {
    if (!store_) return;
    // Declared before the lock: the worker resumes in turn only after letting go of it.
    web::WorkerWait wait(web::WorkerWait::Resume::InTurn);
    std::unique_lock lock(mutex_);
    if (stopping_) return;
    std::string key = AutosaveKey(sessionId);
    moves_.erase(key);  // this change is newer
    pending_[std::move(key)] = AutosaveChange{sessionId, std::move(sheet), now()};
    const std::uint64_t ticket = ++queuedTicket_;
    wake_.notify_one();
    committed_.wait(lock, [&] { return committedTicket_ >= ticket; });
}

std::optional<AnswerSheet> Autosave::load(const std::string& sessionId) {
    if (!store_) return std::nullopt;
    std::optional<std::string> text;
    try {
        text = store_->load(sessionId);
    } catch (const std::exception& error) {
        log(std::string("Reading an autosaved paper failed: ") + error.what());
        return std::nullopt;
    }
    if (!text) return std::nullopt;
    std::optional<AnswerSheet> sheet = AnswerSheet::restore(*text);
    if (!sheet) {
        log("An autosaved paper could not be read back and was removed.");
        remove(sessionId);
    }
    return sheet;
}

Autosave::Counters Autosave::counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

void Autosave::writerLoop() {
    std::unique_lock lock(mutex_);
    auto nextMoves = std::chrono::steady_clock::now() + settings_.syncInterval;
    while (true) {
        wake_.wait_until(lock, nextMoves, [&] { return stopping_ || !pending_.empty(); });
        if (stopping_ || std::chrono::steady_clock::now() >= nextMoves) {
            takeMoves();
            nextMoves = std::chrono::steady_clock::now() + settings_.syncInterval;
        }
        if (!pending_.empty()) commit(lock);
        if (stopping_ && pending_.empty() && moves_.empty()) break;
        housekeeping(lock);
    }
    if (unsynced_) {
        lock.unlock();
        try {
            store_->checkpoint();
        } catch (const std::exception&) {
        }
    }
}

// Writes every waiting change in one transaction and wakes their callers, also when the
// write failed: an exam goes on without its copy rather than wait.
void Autosave::commit(std::unique_lock<std::mutex>& lock) {
    std::vector<AutosaveChange> batch;
    for (auto& [key, change] : pending_) batch.push_back(std::move(change));
    pending_.clear();
    const std::uint64_t ticket = queuedTicket_;
    lock.unlock();
    bool written = false;
    try {
        store_->apply(batch);
        written = true;
    } catch (const db::DatabaseError& error) {
        log(std::string("Autosave write failed: ") + error.what());
        if (damaged(error)) {
            try {
                store_->recover();
                store_->apply(batch);
                written = true;
            } catch (const std::exception& again) {
                log(std::string("Autosave write failed again: ") + again.what());
            }
        }
    } catch (const std::exception& error) {
        log(std::string("Autosave write failed: ") + error.what());
    }
    lock.lock();
    if (written) {
        ++counters_.commits;
        counters_.rows += batch.size();
        unsynced_ = true;
    }
    committedTicket_ = ticket;
    committed_.notify_all();
}

void Autosave::housekeeping(std::unique_lock<std::mutex>& lock) {
    const auto moment = std::chrono::steady_clock::now();
    const bool sync = unsynced_ && moment - lastSync_ >= settings_.syncInterval;
    const bool purge = moment - lastPurge_ >= settings_.purgeInterval;
    if (!sync && !purge) return;
    if (sync) unsynced_ = false;
    lock.unlock();
    try {
        if (sync) store_->checkpoint();
        if (purge) store_->removeOlderThan(now() - settings_.keep.count());
    } catch (const std::exception& error) {
        log(std::string("Autosave upkeep failed: ") + error.what());
    }
    lock.lock();
    if (sync) lastSync_ = moment;
    if (purge) lastPurge_ = moment;
}

}  // namespace exam
