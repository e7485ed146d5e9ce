#include "app/db/WriteGate.h"

#include <sqlite3.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "app/db/DatabaseError.h"

namespace exam::db {
namespace {

// A recursive gate built from a plain mutex and a condition, so its waits have a time limit.
class Gate {
public:
    bool enter(std::optional<std::chrono::steady_clock::duration> wait) {
        std::unique_lock lock(mutex_);
        const auto self = std::this_thread::get_id();
        if (owner_ == self) {
            ++depth_;
            return true;
        }
        const auto free = [this] { return owner_ == std::thread::id(); };
        if (wait) {
            if (!released_.wait_for(lock, *wait, free)) return false;
        } else {
            released_.wait(lock, free);
        }
        owner_ = self;
        depth_ = 1;
        return true;
    }

    void leave() {
        std::lock_guard lock(mutex_);
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

WriteGateLock& WriteGateLock::operator=(WriteGateLock&& other) noexcept {
    if (this != &other) {
        release();
        owns_ = other.owns_;
        other.owns_ = false;
    }
    return *this;
}

void WriteGateLock::release() {
    if (!owns_) return;
    owns_ = false;
    gate().leave();
}

WriteGateLock enterWriteGate() {
    if (!gate().enter(kWriteGateWait)) {
        throw DatabaseError(SQLITE_BUSY, "database is locked: another write did not finish in time");
    }
    return WriteGateLock(true);
}

WriteGateLock enterWriteGateUnbounded() {
    gate().enter(std::nullopt);
    return WriteGateLock(true);
}

}  // namespace exam::db
