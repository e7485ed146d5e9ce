#pragma once

namespace web {

// Told by a pool worker's thread when it starts and stops waiting (see WorkerWait).
class WorkerWaitListener {
public:
    virtual void BeginWait() = 0;
    // `inTurn`: the worker goes on only when the pool would start a request now.
    virtual void EndWait(bool inTurn) = 0;

protected:
    ~WorkerWaitListener() = default;
};

// Marks the calling thread as waiting for as long as it lives: for a commit, a database
// connection, the write gate or a remote server. The worker pool runs only a few requests
// at once (more runnable threads than processors buy nothing but cache misses and context
// switches); a worker that waits does not count against them, so the pool starts another
// request meanwhile. On a thread that is not a pool worker it does nothing. Scopes nest;
// the outermost one counts.
//
// After the wait the worker goes on at once by default: it may hold the write gate or a
// database connection that others wait for. A wait after which the request only renders
// its page resumes in turn instead, so that a commit that wakes many workers at once does
// not set them all running together.
class WorkerWait {
public:
    enum class Resume { AtOnce, InTurn };

    explicit WorkerWait(Resume resume = Resume::AtOnce);
    ~WorkerWait();
    WorkerWait(const WorkerWait&) = delete;
    WorkerWait& operator=(const WorkerWait&) = delete;

    // The listener of the calling thread's waits; nullptr when it is no pool worker.
    static void SetListener(WorkerWaitListener* listener);

private:
    Resume resume_;
};

}  // namespace web
