#include "web/server/transport/ConnectionLoop.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>
#include <thread>

#include "web/server/ErrorPage.h"
#include "web/server/ServerLog.h"
#include "web/server/http/ReplyWriter.h"
#include "web/server/http/RequestParser.h"
#include "web/server/transport/WorkerWait.h"

namespace web {
namespace {

// Event data of the two descriptors that are not connections.
constexpr std::uint64_t kListenerEvent = 0;
constexpr std::uint64_t kWakeupEvent = 1;
constexpr std::uint64_t kFirstConnectionId = 2;

constexpr int kTickMilliseconds = 100;
constexpr std::size_t kReadChunk = 16384;
constexpr std::size_t kStreamChunk = 65536;
// A streamed body up to this size (every ordinary page) is taken over from its render
// stream or read by the worker into the reply itself, so the loop sends header and body in
// one call and never reads the stream.
constexpr std::uint64_t kInlineBody = 256 * 1024;
// After the system refused a descriptor (EMFILE), accepting waits this long.
constexpr std::chrono::milliseconds kAcceptPause{100};
// A client address over its limit is logged at most this often.
constexpr std::chrono::minutes kRefusalLogInterval{1};

std::size_t runningLimit(std::size_t configured) {
    if (configured > 0) return configured;
    return std::max<std::size_t>(4, 2 * std::thread::hardware_concurrency());
}

std::string peerText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

void nameThread(const char* name) {
    pthread_setname_np(pthread_self(), name);
}

// Workers render pages, which keeps a processor busy for a while. As batch threads, a
// worker woken for a job waits for the running thread's turn instead of preempting it, so
// the event loop, woken far more often for far shorter work, is not pushed off a processor
// while it hands out requests and sends replies. Their share of the processors stays the same.
void runAsBatchWork() {
    sched_param parameters{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &parameters);
}

// Appends the whole stream of `size` bytes to `out`; false (and `out` as it was) when the
// stream ends early, so that the reply is streamed as before.
bool appendWhole(ContentStream& stream, std::string& out, std::uint64_t size) {
    const std::size_t start = out.size();
    const auto wanted = static_cast<std::size_t>(size);
    out.resize(start + wanted);
    std::size_t got = 0;
    while (got < wanted) {
        std::size_t read = stream.read(out.data() + start + got, wanted - got);
        if (read == 0) break;
        got += read;
    }
    if (got == wanted) return true;
    out.resize(start);
    stream.rewind();
    return false;
}

}  // namespace

struct ConnectionLoop::Connection {
    enum class Phase { Reading, Working, Writing };

    std::uint64_t id = 0;
    Socket socket;
    std::string peer;
    Phase phase = Phase::Reading;
    bool watched = false;
    RequestParser parser;
    // Reading: the whole-request deadline; writing: the end of the send time-out.
    TimePoint deadline;
    // What is sent: `out`, then `body`; `written` counts through both.
    std::string out;
    std::string body;
    std::size_t written = 0;
    std::unique_ptr<ContentStream> stream;
};

ConnectionLoop::ConnectionLoop(Socket listener, int port, RequestHandler handler, std::string uploadFolder,
                               std::size_t workers, ConnectionLimits limits)
    : listener_(std::move(listener)),
      port_(port),
      handler_(std::move(handler)),
      uploadFolder_(std::move(uploadFolder)),
      limits_(limits),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      wakeup_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      nextId_(kFirstConnectionId) {
    if (epoll_.fd() < 0 || wakeup_.fd() < 0) throw std::system_error(errno, std::generic_category(), "epoll");
    int flags = ::fcntl(listener_.fd(), F_GETFL);
    ::fcntl(listener_.fd(), F_SETFL, flags | O_NONBLOCK);
    epoll_event listen{EPOLLIN, {.u64 = kListenerEvent}};
    epoll_event wake{EPOLLIN, {.u64 = kWakeupEvent}};
    ::epoll_ctl(epoll_.fd(), EPOLL_CTL_ADD, listener_.fd(), &listen);
    ::epoll_ctl(epoll_.fd(), EPOLL_CTL_ADD, wakeup_.fd(), &wake);
    limits_.runningRequests = runningLimit(limits_.runningRequests);
    workerCount_ = std::max<std::size_t>(1, workers);
    workerStates_ = std::make_unique<WorkerState[]>(workerCount_);
    parked_.reserve(workerCount_);
    for (std::size_t i = 0; i < workerCount_; ++i) workers_.emplace_back([this, i] { work(i); });
    loop_ = std::thread([this] { run(); });
}

ConnectionLoop::~ConnectionLoop() {
    Stop();
}

void ConnectionLoop::Stop() {
    if (!loop_.joinable()) return;
    stopRequested_ = true;
    wake();
    loop_.join();
    {
        std::lock_guard lock(mutex_);
        workersStop_ = true;
        for (std::size_t i = 0; i < workerCount_; ++i) workerStates_[i].wake.notify_one();
    }
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
    connections_.clear();
    openConnections_ = 0;
}

void ConnectionLoop::wake() {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wakeup_.fd(), &one, sizeof one);
}

// --- the loop ------------------------------------------------------------------------

void ConnectionLoop::run() {
    nameThread("Connections");
    epoll_event events[256];
    while (true) {
        int ready = ::epoll_wait(epoll_.fd(), events, 256, kTickMilliseconds);
        for (int i = 0; i < ready; ++i) {
            std::uint64_t id = events[i].data.u64;
            if (id == kListenerEvent) {
                acceptAll();
                continue;
            }
            if (id == kWakeupEvent) {
                std::uint64_t count = 0;
                [[maybe_unused]] ssize_t ignored = ::read(wakeup_.fd(), &count, sizeof count);
                takeReplies();
                continue;
            }
            auto found = connections_.find(id);
            if (found == connections_.end()) continue;
            Connection& connection = *found->second;
            if (connection.phase == Connection::Phase::Reading)
                readFrom(connection);
            else if (connection.phase == Connection::Phase::Writing)
                writeTo(connection);
        }
        if (stopRequested_ && !stopping_) beginStop();
        TimePoint now = std::chrono::steady_clock::now();
        sweep(now);
        if (stopping_ && (stopFinished() || now >= stopDeadline_)) return;
    }
}

void ConnectionLoop::acceptAll() {
    while (listening_ && connections_.size() < limits_.total) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        int fd = ::accept4(listener_.fd(), reinterpret_cast<sockaddr*>(&peer), &length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE) {
                // Out of descriptors: stop watching the listener for a moment instead of
                // spinning on a connection that cannot be taken.
                listening_ = false;
                ::epoll_ctl(epoll_.fd(), EPOLL_CTL_DEL, listener_.fd(), nullptr);
                resumeAcceptAt_ = std::chrono::steady_clock::now() + kAcceptPause;
            }
            return;
        }
        Socket socket(fd);
        std::string address = peerText(peer);
        if (!admit(address)) continue;  // closed at once, without a reply
        auto connection = std::make_unique<Connection>();
        connection->id = nextId_++;
        connection->socket = std::move(socket);
        connection->peer = std::move(address);
        connection->deadline = std::chrono::steady_clock::now() + limits_.requestDeadline;
        Connection& added = *connection;
        connections_.emplace(connection->id, std::move(connection));
        openConnections_ = connections_.size();
        // A browser sends its request right behind the connection, so it is often here
        // already: read it now, and watch the connection only when it is not.
        readFrom(added);
    }
    if (listening_ && connections_.size() >= limits_.total) {
        // The rest wait in the listen queue until a connection ends.
        listening_ = false;
        ::epoll_ctl(epoll_.fd(), EPOLL_CTL_DEL, listener_.fd(), nullptr);
    }
}

bool ConnectionLoop::admit(const std::string& address) {
    std::size_t& count = perAddress_[address];
    if (count < limits_.perAddress) {
        ++count;
        return true;
    }
    TimePoint now = std::chrono::steady_clock::now();
    auto logged = refusalLogged_.find(address);
    if (logged == refusalLogged_.end() || now - logged->second >= kRefusalLogInterval) {
        refusalLogged_[address] = now;
        ServerLog("Connection limit: " + address + " has " + std::to_string(count) +
                  " connections open; further ones are closed");
    }
    return false;
}

void ConnectionLoop::watch(Connection& connection, std::uint32_t events) {
    epoll_event event{events, {.u64 = connection.id}};
    int op = connection.watched ? EPOLL_CTL_MOD : EPOLL_CTL_ADD;
    ::epoll_ctl(epoll_.fd(), op, connection.socket.fd(), &event);
    connection.watched = true;
}

void ConnectionLoop::readFrom(Connection& connection) {
    char buffer[kReadChunk];
    while (connection.parser.state() == RequestParser::State::NeedMore) {
        ssize_t got = ::recv(connection.socket.fd(), buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!connection.watched) watch(connection, EPOLLIN);
            return;
        }
        if (got < 0) return close(connection.id);
        if (got == 0) {
            connection.parser.finish();
        } else {
            connection.parser.feed({buffer, static_cast<std::size_t>(got)});
        }
    }
    if (connection.parser.state() == RequestParser::State::Refused) return close(connection.id);
    startWork(connection);
}

// The request goes to a worker; meanwhile the connection is not watched at all, so a
// client that hangs up cannot make the loop spin on it.
void ConnectionLoop::startWork(Connection& connection) {
    if (connection.watched) ::epoll_ctl(epoll_.fd(), EPOLL_CTL_DEL, connection.socket.fd(), nullptr);
    connection.watched = false;
    connection.phase = Connection::Phase::Working;
    std::condition_variable* woken = nullptr;
    {
        std::lock_guard lock(mutex_);
        jobs_.push(Job{connection.id, std::move(connection.parser), {connection.peer, port_, uploadFolder_}});
        woken = wakeOne(true);
    }
    notify(woken);
}

void ConnectionLoop::takeReplies() {
    std::vector<Reply> replies;
    {
        std::lock_guard lock(mutex_);
        replies.swap(replies_);
    }
    TimePoint now = std::chrono::steady_clock::now();
    for (Reply& reply : replies) {
        auto found = connections_.find(reply.id);
        if (found == connections_.end()) continue;
        Connection& connection = *found->second;
        connection.phase = Connection::Phase::Writing;
        connection.out = std::move(reply.bytes);
        connection.body = std::move(reply.body);
        connection.stream = std::move(reply.stream);
        connection.deadline = now + limits_.sendTimeout;
        totalBytes_ += reply.bodyBytes;
        writeTo(connection);
    }
}

void ConnectionLoop::writeTo(Connection& connection) {
    while (true) {
        if (connection.written == connection.out.size() + connection.body.size()) {
            connection.out.clear();
            connection.body.clear();
            connection.written = 0;
            if (connection.stream) {
                connection.out.resize(kStreamChunk);
                connection.out.resize(connection.stream->read(connection.out.data(), kStreamChunk));
            }
            if (connection.out.empty()) return close(connection.id);  // the reply closes the connection
        }
        ssize_t sent = sendPending(connection);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!connection.watched) watch(connection, EPOLLOUT);
            return;
        }
        if (sent <= 0) return close(connection.id);
        connection.written += static_cast<std::size_t>(sent);
        connection.deadline = std::chrono::steady_clock::now() + limits_.sendTimeout;
    }
}

// The header and the page go out in one call, without being joined first.
ssize_t ConnectionLoop::sendPending(const Connection& connection) {
    iovec parts[2];
    int count = 0;
    std::size_t at = connection.written;
    if (at < connection.out.size()) {
        parts[count++] = {const_cast<char*>(connection.out.data()) + at, connection.out.size() - at};
        at = 0;
    } else {
        at -= connection.out.size();
    }
    if (at < connection.body.size())
        parts[count++] = {const_cast<char*>(connection.body.data()) + at, connection.body.size() - at};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = static_cast<std::size_t>(count);
    return ::sendmsg(connection.socket.fd(), &message, MSG_NOSIGNAL);
}

void ConnectionLoop::close(std::uint64_t id) {
    auto found = connections_.find(id);
    if (found == connections_.end()) return;
    Connection& connection = *found->second;
    if (connection.watched) ::epoll_ctl(epoll_.fd(), EPOLL_CTL_DEL, connection.socket.fd(), nullptr);
    auto count = perAddress_.find(connection.peer);
    if (count != perAddress_.end() && --count->second == 0) perAddress_.erase(count);
    // Counted before the socket closes, so a client that sees the end finds it counted.
    openConnections_ = connections_.size() - 1;
    connections_.erase(found);
}

// Ends connections past their deadline and takes up accepting again when there is room.
// The deadlines are looked at once per sweep interval, not after every event: with many
// connections open, walking them all for each request would cost more than the request.
void ConnectionLoop::sweep(TimePoint now) {
    if (now >= nextSweep_) {
        nextSweep_ = now + kSweepInterval;
        std::vector<std::uint64_t> expired;
        for (const auto& [id, connection] : connections_) {
            if (connection->phase != Connection::Phase::Working && now >= connection->deadline)
                expired.push_back(id);
        }
        for (std::uint64_t id : expired) close(id);
    }
    bool paused = !listening_ && !stopping_;
    if (paused && connections_.size() < limits_.total && now >= resumeAcceptAt_) {
        epoll_event listen{EPOLLIN, {.u64 = kListenerEvent}};
        ::epoll_ctl(epoll_.fd(), EPOLL_CTL_ADD, listener_.fd(), &listen);
        listening_ = true;
    }
}

void ConnectionLoop::beginStop() {
    stopping_ = true;
    if (listening_) ::epoll_ctl(epoll_.fd(), EPOLL_CTL_DEL, listener_.fd(), nullptr);
    listening_ = false;
    listener_ = Socket();
    std::vector<std::uint64_t> reading;
    for (const auto& [id, connection] : connections_) {
        if (connection->phase == Connection::Phase::Reading) reading.push_back(id);
    }
    for (std::uint64_t id : reading) close(id);
    stopDeadline_ = std::chrono::steady_clock::now() + limits_.stopWait;
}

bool ConnectionLoop::stopFinished() const {
    return connections_.empty();
}

// --- the workers -----------------------------------------------------------------------

// Tells the pool while its worker waits, so that another request may run meanwhile.
class ConnectionLoop::WorkerSlot final : public WorkerWaitListener {
public:
    WorkerSlot(ConnectionLoop& loop, std::size_t index) : loop_(loop), index_(index) {
        WorkerWait::SetListener(this);
    }
    ~WorkerSlot() { WorkerWait::SetListener(nullptr); }
    WorkerSlot(const WorkerSlot&) = delete;
    WorkerSlot& operator=(const WorkerSlot&) = delete;

    void BeginWait() override { loop_.setWaiting(index_, true, false); }
    void EndWait(bool inTurn) override { loop_.setWaiting(index_, false, inTurn); }

private:
    ConnectionLoop& loop_;
    std::size_t index_;
};

void ConnectionLoop::work(std::size_t index) {
    nameThread("Worker");
    runAsBatchWork();
    WorkerSlot slot(*this, index);
    std::optional<Job> job = takeJob(index);
    while (job) {
        Reply reply = answer(*job);
        job = finishJob(index, std::move(reply));
        if (!job) job = takeJob(index);
    }
}

// Hands the reply to the loop and, when another job is queued and this worker may run it,
// takes that job at once: its running place never looks free to the others meanwhile. The
// loop is woken by the first reply it has not taken yet; later ones go with it.
std::optional<ConnectionLoop::Job> ConnectionLoop::finishJob(std::size_t index, Reply reply) {
    std::condition_variable* woken = nullptr;
    std::optional<Job> next;
    bool wakeLoop = false;
    {
        std::lock_guard lock(mutex_);
        wakeLoop = replies_.empty();
        replies_.push_back(std::move(reply));
        WorkerState& state = workerStates_[index];
        state.running = false;
        if (!workersStop_ && !jobs_.empty() && mayStart(std::chrono::steady_clock::now()))
            next = startNext(state);
        else
            woken = wakeOne(false);  // a worker resuming from a wait may go on
    }
    if (wakeLoop) wake();
    notify(woken);
    return next;
}

ConnectionLoop::Job ConnectionLoop::startNext(WorkerState& state) {
    Job job = jobs_.pop();
    state.running = true;
    state.waiting = false;
    state.started = std::chrono::steady_clock::now();
    return job;
}

// The next job, once one is queued and the running requests are under their limit;
// nothing when the workers stop.
std::optional<ConnectionLoop::Job> ConnectionLoop::takeJob(std::size_t index) {
    std::unique_lock lock(mutex_);
    while (!workersStop_) {
        const TimePoint now = std::chrono::steady_clock::now();
        if (jobs_.empty()) {
            park(lock, index, std::nullopt);
        } else if (mayStart(now)) {
            return startNext(workerStates_[index]);
        } else {
            park(lock, index, nextStall(now));
        }
    }
    return std::nullopt;
}

bool ConnectionLoop::mayStart(TimePoint now) const {
    std::size_t running = 0;
    for (std::size_t i = 0; i < workerCount_; ++i) {
        const WorkerState& state = workerStates_[i];
        if (state.running && !state.waiting && now - state.started < limits_.stallTime) ++running;
    }
    return running < limits_.runningRequests;
}

// When the earliest running request counts as stalled.
ConnectionLoop::TimePoint ConnectionLoop::nextStall(TimePoint now) const {
    TimePoint earliest = now + limits_.stallTime;
    for (std::size_t i = 0; i < workerCount_; ++i) {
        const WorkerState& state = workerStates_[i];
        if (state.running && !state.waiting) earliest = std::min(earliest, state.started + limits_.stallTime);
    }
    return earliest;
}

// Sleeps until woken (or `until`); the caller holds the lock and checks again after.
void ConnectionLoop::park(std::unique_lock<std::mutex>& lock, std::size_t index,
                          std::optional<TimePoint> until) {
    WorkerState& state = workerStates_[index];
    state.parked = true;
    parked_.push_back(index);
    if (until) {
        ++watching_;
        state.wake.wait_until(lock, *until);
        --watching_;
    } else {
        state.wake.wait(lock);
    }
    if (state.parked) {  // woke by itself: not taken off the list by a waker
        state.parked = false;
        std::erase(parked_, index);
    }
}

// Chooses, under the lock, the worker that should go next when it may run now: one resuming
// from a wait, else (`forJob`) the most recently parked one when a job is queued. A worker
// woken only to find no running place free would cost two context switches for nothing.
// The caller notifies the one returned once it has let go of the lock, so that the worker
// does not wake only to wait for the lock.
std::condition_variable* ConnectionLoop::wakeOne(bool forJob) {
    if (parked_.empty()) return nullptr;
    if (!mayStart(std::chrono::steady_clock::now())) {
        // Someone must watch the running requests, to start the next job when one stalls.
        if (forJob && watching_ == 0 && !jobs_.empty()) return unpark(parked_.rbegin());
        return nullptr;
    }
    auto chosen = std::find_if(parked_.rbegin(), parked_.rend(),
                               [this](std::size_t i) { return workerStates_[i].resuming; });
    if (chosen == parked_.rend()) {
        if (!forJob || jobs_.empty()) return nullptr;
        chosen = parked_.rbegin();
    }
    return unpark(chosen);
}

// Takes the worker off the parked list: it runs its checks again when it wakes. A notify
// that comes after it woke by itself and parked again only makes it check once more.
std::condition_variable* ConnectionLoop::unpark(std::vector<std::size_t>::reverse_iterator chosen) {
    WorkerState& state = workerStates_[*chosen];
    parked_.erase(std::next(chosen).base());
    state.parked = false;
    return &state.wake;
}

void ConnectionLoop::notify(std::condition_variable* woken) {
    if (woken != nullptr) woken->notify_one();
}

void ConnectionLoop::setWaiting(std::size_t index, bool waiting, bool inTurn) {
    std::unique_lock lock(mutex_);
    WorkerState& state = workerStates_[index];
    if (waiting) {
        state.waiting = true;
        std::condition_variable* woken = wakeOne(true);  // a running place came free
        lock.unlock();
        notify(woken);
        return;
    }
    if (inTurn) {
        // Still counted as waiting until the pool would start a request.
        state.resuming = true;
        while (!workersStop_ && !mayStart(std::chrono::steady_clock::now()))
            park(lock, index, nextStall(std::chrono::steady_clock::now()));
        state.resuming = false;
    }
    // Back from waiting, the request runs again as fresh work.
    state.waiting = false;
    state.started = std::chrono::steady_clock::now();
}

// Runs the handler; a handler that throws is answered with the server-error page, and the
// worker goes on serving.
ConnectionLoop::Reply ConnectionLoop::answer(Job& job) {
    std::optional<TInHTTPAppRequest> request = job.parser.take(job.origin);
    if (!request) return Reply{job.id, {}, nullptr, 0, {}};  // closed without a reply
    TInHTTPAppResponse response;
    try {
        handler_(*request, response);
    } catch (...) {
        try {
            // The handler answers its own errors with its settings; this is the last resort.
            WriteErrorReply(nullptr, std::current_exception(), *request, response);
        } catch (...) {
            response = TInHTTPAppResponse{};
            response.statusCode = 500;
            response.setContent("Server error");
        }
    }
    bool streamFollows = false;
    Reply reply{job.id, ReplyWriter::Prefix(response, request->isHead(), streamFollows), nullptr, 0};
    reply.bodyBytes = response.contentStream ? response.contentStream->size() : response.content.size();
    if (!streamFollows) return reply;
    if (reply.bodyBytes <= kInlineBody) {
        if (response.contentStream->takeAll(reply.body)) return reply;
        reply.bytes.reserve(reply.bytes.size() + reply.bodyBytes);
        if (response.contentStream->appendRest(reply.bytes)) return reply;
        if (appendWhole(*response.contentStream, reply.bytes, reply.bodyBytes)) return reply;
    }
    reply.stream = std::move(response.contentStream);
    return reply;
}

}  // namespace web
