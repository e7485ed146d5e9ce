#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace web {

class SessionTable;
class TWFApplication;

// A background thread that runs `work` every `period` until stopped; stop() returns
// within a moment even in the middle of the wait.
class PeriodicThread {
public:
    PeriodicThread(std::string name, std::chrono::milliseconds period, std::function<void()> work);
    ~PeriodicThread();
    PeriodicThread(const PeriodicThread&) = delete;
    PeriodicThread& operator=(const PeriodicThread&) = delete;

    void stop();

private:
    void run();

    std::string name_;
    std::chrono::milliseconds period_;
    std::function<void()> work_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

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
    explicit TSessionTimeoutThread(SessionTable& sessions, std::chrono::milliseconds period = std::chrono::seconds(60));
    // Ends the sweep, then frees the sessions it collected.
    void stop();

private:
    TSessionCloser closer_;
    PeriodicThread thread_;
};

// Deletes cache files older than the cache expiry ("Cache Purge", every 15 seconds).
class TCachePurgeThread {
public:
    TCachePurgeThread(std::string cacheFolder, std::chrono::minutes expiry,
                      std::chrono::milliseconds period = std::chrono::seconds(15));
    // Waits for a purge in progress, then stops.
    void stop();
    // Deletes every file below `folder` older than `expiry`; folders are kept.
    static void PurgeDirectory(const std::string& folder, std::chrono::minutes expiry);

private:
    void purge();

    std::string cacheFolder_;
    std::chrono::minutes expiry_;
    std::mutex purging_;
    PeriodicThread thread_;
};

}  // namespace web
