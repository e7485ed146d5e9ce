#include "web/server/session/SessionExpiry.h"

#include <pthread.h>

#include "web/server/TWFApplication.h"
#include "web/server/session/SessionTable.h"

namespace web {

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

}  // namespace web
