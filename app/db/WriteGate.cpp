#include "app/db/WriteGate.h"

#include <sqlite3.h>

#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>

#include "app/db/DatabaseError.h"
#include "web/server/transport/WorkerWait.h"

namespace exam::db {
namespace {

// A recursive gate built from a plain mutex and a condition, so its waits have a time limit.
class Gate {
public:
    bool enter(std::optional<std::chrono::milliseconds> wait) {
        std::unique_lock lock(mutex_);
        const auto self = std::this_thread::get_id();
        if (owner_ == self) {
            ++depth_;
            return true;
        }
        const auto free = [this] { return owner_ == std::thread::id(); };
        std::optional<web::WorkerWait> waiting;
        if (!free()) waiting.emplace();
        if (wait) {
            if (!released_.wait_for(lock, *wait, free)) return false;
        } else {
            released_.wait(lock, free);
        }
        owner_ = self;
        depth_ = 1;
        return true;
    }

    // Only the holding thread leaves; any other call is a fault of the caller, reported
    // without touching the gate.
    void leave() {
        std::lock_guard lock(mutex_);
        if (owner_ != std::this_thread::get_id() || depth_ <= 0) {
            throw std::logic_error("the write gate is left by a thread that does not hold it");
        }
        if (--depth_ > 0) return;
        owner_ = std::thread::id();
        released_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id owner_;
    int depth_ = 0;
};

Gate& gate() {
    static Gate instance;
    return instance;
}

}  // namespace

WriteGateLock::WriteGateLock(std::chrono::milliseconds wait) {
    if (!gate().enter(wait)) {
        throw DatabaseError(SQLITE_BUSY, "database is locked: another write did not finish in time");
    }
    owner_ = std::this_thread::get_id();
    owns_ = true;
}

WriteGateLock::WriteGateLock(Unbounded) {
    gate().enter(std::nullopt);
    owner_ = std::this_thread::get_id();
    owns_ = true;
}

WriteGateLock::~WriteGateLock() {
    try {
        release();
    } catch (const std::logic_error& error) {
        // A hold destroyed on another thread would leave the gate shut for good; stop
        // here, where the fault is, rather than hang every later writer.
        std::fprintf(stderr, "%s\n", error.what());
        std::terminate();
    }
}

void WriteGateLock::release() {
    if (!owns_) return;
    if (std::this_thread::get_id() != owner_) {
        throw std::logic_error("the write gate is left by a thread that does not hold it");
    }
    gate().leave();
    owns_ = false;
}

WriteGateLock enterWriteGate() {
    return WriteGateLock(std::chrono::duration_cast<std::chrono::milliseconds>(kWriteGateWait));
}

WriteGateLock enterWriteGateUnbounded() {
    return WriteGateLock(WriteGateLock::Unbounded{});
}

}  // namespace exam::db
