#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace web {

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

}  // namespace web
