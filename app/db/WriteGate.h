#pragma once

#include <chrono>
#include <thread>

namespace exam::db {

// A writer that waits longer than this for the gate gives up with "database is locked".
inline constexpr std::chrono::seconds kWriteGateWait{30};

// A hold on the one process-wide gate through which every write transaction, every
// checkpoint and every connection close passes, so no commit ever runs beside a checkpoint
// of another connection (the engine version we ship with can corrupt the file in that
// race). The gate is reentrant for the thread that holds it: statements run inside an open
// transaction, or a close during one, do not wait for themselves.
//
// A hold belongs to the thread that entered: it cannot be moved (re-entry is told by the
// thread, so a hold that changed threads would let two threads in at once) and only that
// thread may leave. Released on destruction.
class WriteGateLock {
public:
    // Enters the gate, waiting at most `wait`; raises DatabaseError after that.
    explicit WriteGateLock(std::chrono::milliseconds wait);
    ~WriteGateLock();
    WriteGateLock(const WriteGateLock&) = delete;
    WriteGateLock& operator=(const WriteGateLock&) = delete;

    bool ownsGate() const { return owns_; }
    // Leaves the gate now. Raises std::logic_error, keeping the gate, when called on a
    // thread other than the one that entered.
    void release();

private:
    friend WriteGateLock enterWriteGateUnbounded();
    struct Unbounded {};
    explicit WriteGateLock(Unbounded);

    std::thread::id owner_;
    bool owns_ = false;
};

// Enters the gate, waiting at most kWriteGateWait; raises DatabaseError after that.
WriteGateLock enterWriteGate();

// Enters the gate without a time limit, for closing a connection (which must not fail).
// Never called by the session time-out thread: it hands sessions to a closer instead.
WriteGateLock enterWriteGateUnbounded();

}  // namespace exam::db
