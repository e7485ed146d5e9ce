#include "web/server/PeriodicThread.h"

#include <pthread.h>

namespace web {

PeriodicThread::PeriodicThread(std::string name, std::chrono::milliseconds period, std::function<void()> work)
    : name_(std::move(name)), period_(period), work_(std::move(work)), thread_([this] { run(); }) {}

PeriodicThread::~PeriodicThread() {
    stop();
}

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

}  // namespace web
