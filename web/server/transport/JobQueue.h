#pragma once

#include <cstddef>
#include <deque>

namespace web {

// The requests waiting for a worker. Requests without a body (a page opened, a file, a
// keep-alive) cost a fraction of a posted form and are what a browser waits on to show
// anything, so they go first; so that a stream of them cannot hold a post back for long,
// every `kQuickRun`-th turn goes to the oldest post. Each kind keeps its order of arrival.
template <class Job>
class JobQueue {
public:
    static constexpr std::size_t kQuickRun = 4;

    void push(Job job) {
        auto& queue = job.isPost() ? posts_ : quick_;
        queue.push_back(std::move(job));
    }

    // The next job; the queue must not be empty.
    Job pop() {
        const bool postsTurn = posts_.size() > 0 && (quick_.empty() || quickInRow_ >= kQuickRun);
        auto& queue = postsTurn ? posts_ : quick_;
        quickInRow_ = postsTurn ? 0 : quickInRow_ + 1;
        Job job = std::move(queue.front());
        queue.pop_front();
        return job;
    }

    bool empty() const { return quick_.empty() && posts_.empty(); }
    std::size_t size() const { return quick_.size() + posts_.size(); }

private:
    std::deque<Job> quick_;
    std::deque<Job> posts_;
    std::size_t quickInRow_ = 0;
};

}  // namespace web
