#pragma once

#include <chrono>

namespace exam::db {

// A writer that waits longer than this for the gate gives up with "database is locked".
inline constexpr std::chrono::seconds kWriteGateWait{30};

// A hold on the one process-wide gate through which every write transaction, every
// checkpoint and every connection close passes, so no commit ever runs beside a checkpoint
// of another connection (the engine version we ship with can corrupt the file in that
// race). The gate is reentrant for the thread that holds it: statements run inside an open
// transaction, or a close during one, do not wait for themselves. Released on destruction.
class WriteGateLock {
public:
    WriteGateLock() = default;
    ~WriteGateLock() { release(); }
    WriteGateLock(WriteGateLock&& other) noexcept : owns_(other.owns_) { other.owns_ = false; }
    WriteGateLock& operator=(WriteGateLock&& other) noexcept;
    WriteGateLock(const WriteGateLock&) = delete;
    WriteGateLock& operator=(const WriteGateLock&) = delete;

    bool ownsGate() const { return owns_; }
    void release();

private:
    friend WriteGateLock enterWriteGate();
    friend WriteGateLock enterWriteGateUnbounded();
    explicit WriteGateLock(bool owns) : owns_(owns) {}

    bool owns_ = false;
};

// Enters the gate, waiting at most kWriteGateWait; raises DatabaseError after that.
WriteGateLock enterWriteGate();

// Enters the gate without a time limit, for closing a connection (which must not fail).
WriteGateLock enterWriteGateUnbounded();

}  // namespace exam::db
