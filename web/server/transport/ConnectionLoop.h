#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"
#include "web/server/http/RequestParser.h"
#include "web/server/transport/JobQueue.h"
#include "web/server/transport/Socket.h"

namespace web {

// What one server allows its clients.
struct ConnectionLimits {
    // Open connections from one client address; more are closed at once.
    std::size_t perAddress = 256;
    // Open connections in all; more wait in the listen queue.
    std::size_t total = 16384;
    // A request must be complete this long after its connection was accepted.
    std::chrono::milliseconds requestDeadline{std::chrono::seconds(30)};
    // A reply that makes no progress this long is abandoned.
    std::chrono::milliseconds sendTimeout{std::chrono::seconds(30)};
    // How long a stop waits for requests being served to be answered.
    std::chrono::milliseconds stopWait{std::chrono::seconds(5)};
    // Requests the workers run at once; 0: twice the processors, at least four. Workers
    // that wait (WorkerWait) do not count, nor do requests running longer than the stall time.
    std::size_t runningRequests = 0;
    // A request running this long is presumed to wait without saying so.
    std::chrono::milliseconds stallTime{50};
};

// Serves HTTP on a listening socket with one event loop (epoll) and a fixed pool of worker
// threads. The loop accepts connections, reads each request until it is complete and
// writes each reply; only complete requests reach a worker, which runs the request
// handler. A slow or silent client therefore costs a socket and a buffer, never a thread.
// One request per connection; the reply closes it. The pool is large so that workers
// waiting on a commit or a lock do not hold up the hall, but only a few requests run at
// once: a request starts when fewer than `runningRequests` others are running and neither
// waiting nor stalled.
class ConnectionLoop {
public:
    using RequestHandler = std::function<void(TInHTTPAppRequest&, TInHTTPAppResponse&)>;

    // Starts the loop and the workers on `listener` (already bound and listening).
    ConnectionLoop(Socket listener, int port, RequestHandler handler, std::string uploadFolder,
                   std::size_t workers, ConnectionLimits limits);
    // Stops, as Stop does.
    ~ConnectionLoop();
    ConnectionLoop(const ConnectionLoop&) = delete;
    ConnectionLoop& operator=(const ConnectionLoop&) = delete;

    // Closes the listener and every connection still sending its request, waits (at most
    // the stop wait) for the requests being served to be answered, then ends the threads.
    void Stop();
    int Port() const { return port_; }
    // Bytes of reply bodies handed to the network so far.
    std::uint64_t TotalBytes() const { return totalBytes_.load(); }
    // Connections open now (for tests and benchmarks).
    std::size_t OpenConnections() const { return openConnections_.load(); }

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Connection;
    class WorkerSlot;
    struct WorkerState {
        bool running = false;
        bool waiting = false;
        bool resuming = false;  // back from a wait, until its turn comes
        bool parked = false;
        TimePoint started{};
        std::condition_variable wake;
    };
    // A complete request as it was read; the worker works out its parameters and uploads,
    // so that neither decoding a form nor writing an upload holds up the loop.
    struct Job {
        std::uint64_t id;
        RequestParser parser;
        RequestOrigin origin;
        bool isPost() const { return parser.isPost(); }
    };
    // The header (and a body written with it) in `bytes`; a page held in memory in `body`,
    // taken over from its render stream; or a larger body in `stream`.
    struct Reply {
        std::uint64_t id;
        std::string bytes;
        std::unique_ptr<ContentStream> stream;
        std::uint64_t bodyBytes;
        std::string body;
    };
    static constexpr std::chrono::milliseconds kSweepInterval{50};

    void run();
    void acceptAll();
    bool admit(const std::string& address);
    void readFrom(Connection& connection);
    void startWork(Connection& connection);
    void takeReplies();
    void writeTo(Connection& connection);
    static ssize_t sendPending(const Connection& connection);
    void close(std::uint64_t id);
    void sweep(TimePoint now);
    void watch(Connection& connection, std::uint32_t events);
    void beginStop();
    bool stopFinished() const;
    void work(std::size_t index);
    std::optional<Job> takeJob(std::size_t index);
    std::optional<Job> finishJob(std::size_t index, Reply reply);
    Job startNext(WorkerState& state);
    bool mayStart(TimePoint now) const;
    TimePoint nextStall(TimePoint now) const;
    void setWaiting(std::size_t index, bool waiting, bool inTurn);
    void park(std::unique_lock<std::mutex>& lock, std::size_t index, std::optional<TimePoint> until);
    std::condition_variable* wakeOne(bool forJob);
    std::condition_variable* unpark(std::vector<std::size_t>::reverse_iterator chosen);
    static void notify(std::condition_variable* woken);
    Reply answer(Job& job);
    void wake();

    Socket listener_;
    int port_;
    RequestHandler handler_;
    std::string uploadFolder_;
    ConnectionLimits limits_;
    Socket epoll_;
    Socket wakeup_;

    // Owned by the loop thread.
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> connections_;
    std::unordered_map<std::string, std::size_t> perAddress_;
    std::unordered_map<std::string, TimePoint> refusalLogged_;
    std::uint64_t nextId_ = 1;
    bool listening_ = true;
    bool stopping_ = false;
    TimePoint stopDeadline_{};
    TimePoint resumeAcceptAt_{};
    TimePoint nextSweep_{};

    // Shared between the loop and the workers.
    std::mutex mutex_;
    JobQueue<Job> jobs_;
    std::vector<Reply> replies_;
    std::unique_ptr<WorkerState[]> workerStates_;
    std::size_t workerCount_ = 0;
    // Workers asleep, the most recent last: it is woken first, its cache still warm.
    std::vector<std::size_t> parked_;
    // Parked workers that wake by themselves when a running request would stall.
    std::size_t watching_ = 0;
    bool workersStop_ = false;

    std::atomic<bool> stopRequested_{false};
    std::atomic<std::uint64_t> totalBytes_{0};
    std::atomic<std::size_t> openConnections_{0};
    std::vector<std::thread> workers_;
    std::thread loop_;
};

}  // namespace web
