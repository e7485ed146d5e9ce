#include "web/server/SessionThreads.h"

#include <pthread.h>

#include <filesystem>

#include "web/server/Errors.h"
#include "web/server/session/SessionTable.h"

namespace web {

PeriodicThread::PeriodicThread(std::string name, std::chrono::milliseconds period, std::function<void()> work)
    : name_(std::move(name)), period_(period), work_(std::move(work)), thread_([this] { run(); }) {}

PeriodicThread::~PeriodicThread() { stop(); }

void PeriodicThread::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void PeriodicThread::run() {
    pthread_setname_np(pthread_self(), name_.substr(0, 15).c_str());
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, period_, [this] { return stopping_; })) {
        lock.unlock();
        try {
            work_();
        } catch (...) {
            // A failed round is tried again at the next period.
        }
        lock.lock();
    }
}

TSessionCloser::TSessionCloser() : thread_([this] { run(); }) {}

TSessionCloser::~TSessionCloser() {
    stop();
}

void TSessionCloser::add(std::unique_ptr<TWFApplication> session) {
    {
        std::lock_guard lock(mutex_);
        if (!stopping_) {
            queue_.push_back(std::move(session));
        }
    }
    wake_.notify_one();
    // After stop() nobody would free it later, so the caller frees it.
    FreeSession(std::move(session));
}

void TSessionCloser::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TSessionCloser::run() {
    pthread_setname_np(pthread_self(), "Session Closer");
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        std::unique_ptr<TWFApplication> session = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        FreeSession(std::move(session));
        lock.lock();
    }
}

TSessionTimeoutThread::TSessionTimeoutThread(SessionTable& sessions, std::chrono::milliseconds period)
    : thread_("Session Timeout", period, [this, &sessions] {
          for (auto& session : sessions.collectExpired()) closer_.add(std::move(session));
      }) {}

void TSessionTimeoutThread::stop() {
    thread_.stop();
    closer_.stop();
}

TCachePurgeThread::TCachePurgeThread(std::string cacheFolder, std::chrono::minutes expiry,
                                     std::chrono::milliseconds period)
    : cacheFolder_(std::move(cacheFolder)), expiry_(expiry), thread_("Cache Purge", period, [this] { purge(); }) {}

// Joining the thread waits for a purge in progress to finish.
void TCachePurgeThread::stop() { thread_.stop(); }

void TCachePurgeThread::purge() {
    std::lock_guard lock(purging_);
    if (std::filesystem::is_directory(cacheFolder_)) PurgeDirectory(cacheFolder_, expiry_);
}

void TCachePurgeThread::PurgeDirectory(const std::string& folder, std::chrono::minutes expiry) {
    if (folder.empty() || folder == "\\" || folder == "/") {
        throw EWFException("Assertion failed: PurgeDirectory attempts to delete \"" + folder + "\"");
    }
    namespace fs = std::filesystem;
    auto limit = fs::file_time_type::clock::now() - expiry;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        std::error_code fileError;
        if (it->is_regular_file(fileError) && it->last_write_time(fileError) < limit) fs::remove(it->path(), fileError);
    }
}

}  // namespace web
