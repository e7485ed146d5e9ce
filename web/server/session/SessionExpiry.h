#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "web/server/PeriodicThread.h"

namespace web {

class SessionTable;
class TWFApplication;

// Frees sessions on a thread of its own, one after the other. Freeing a session closes
// its database connection, which can wait behind a burst of hand-ins; whoever hands a
// session over goes on at once.
class TSessionCloser {
public:
    TSessionCloser();
    ~TSessionCloser();
    TSessionCloser(const TSessionCloser&) = delete;
    TSessionCloser& operator=(const TSessionCloser&) = delete;

    void add(std::unique_ptr<TWFApplication> session);
    // Frees what is still queued, then ends the thread.
    void stop();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::unique_ptr<TWFApplication>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

// Collects sessions idle longer than their time-out ("Session Timeout", every 60
// seconds) and has them freed by its closer, so a slow close never holds up the sweep.
class TSessionTimeoutThread {
public:
    explicit TSessionTimeoutThread(SessionTable& sessions,
                                   std::chrono::milliseconds period = std::chrono::seconds(60));
    // Ends the sweep, then frees the sessions it collected.
    void stop();

private:
    TSessionCloser closer_;
    PeriodicThread thread_;
};

}  // namespace web
