// Slow clients beside a hall. The exam application runs in this process on a loopback
// port with a fresh database holding the sample exam, twice: first a hall of candidates
// from 127.0.0.2 takes the exam alone; then, on a fresh server, the same hall takes it
// while N connections from 127.0.0.3 each send the start of a request and then one more
// header line every interval, never finishing it (a connection the server closes is
// opened again when its next line is due). Prints both halls, the 99th percentile of
// their requests against each other (target: the slow clients at most double it), what
// the slow connections met (from one address the server keeps its per-address limit,
// 256, open and closes the rest at once; spread over more addresses it holds them all)
// and the server's threads while the hall ran (target: the worker pool, 32, plus a
// handful), beside the process's "Threads" of /proc/self/status, which includes the
// benchmark's own client threads. Exits with 1 when a hall's check fails.
//
// The think time (default 2 s) keeps the hall going for longer than one line interval,
// so the slow lines arrive while candidates click.
//
//     build/bench/SlowClientBench [slow connections] [candidates] [think ms] [line interval s]
//                                 [slow addresses]         (default 2000, 50, 2000, 10, 1)
//     build/bench/SlowClientBench 300 20 200 1             (a quick try)

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/ExamHall.h"
#include "web/server/transport/Socket.h"

namespace {

using bench::Clock;

constexpr int kDefaultSlow = 2000;
constexpr int kMaxSlow = 16000;
constexpr int kDefaultCandidates = 50;
constexpr int kMaxCandidates = 1000;
constexpr int kDefaultIntervalSeconds = 10;
constexpr int kMaxIntervalSeconds = 60;
// Long enough for the hall (six clicks a candidate) to outlast one line interval.
constexpr int kDefaultThinkMs = 2000;
constexpr int kMaxThinkMs = 10000;
constexpr const char* kCandidateAddress = "127.0.0.2";
constexpr int kFirstSlowHost = 3;  // 127.0.0.3
constexpr int kMaxSlowAddresses = 200;
// The slow connections get this long to be connected and answered before the hall starts.
constexpr std::chrono::seconds kConnectLimit{10};
constexpr std::chrono::milliseconds kSettleTime{1000};
constexpr double kLatencyFactorTarget = 2.0;
constexpr int kPoolSize = 32;
constexpr int kThreadsBesidePool = 8;  // the event loop, the session sweep and the like

// N connections from one address that start a request and then send one header line
// every interval, from one thread of their own (epoll); a connection the server closes is
// opened again when its next line is due.
class SlowClients {
public:
    SlowClients(bench::Endpoint server, std::vector<std::string> sources, int count,
                std::chrono::milliseconds interval)
        : server_(std::move(server)),
          sources_(std::move(sources)),
          interval_(interval),
          slots_(static_cast<std::size_t>(count)),
          epoll_(epoll_create1(EPOLL_CLOEXEC)) {
        if (epoll_.fd() < 0) throw std::runtime_error("no epoll");
        thread_ = std::thread([this] {
            bench::nameThisThread("slow");
            run();
        });
    }
    ~SlowClients() {
        stop_ = true;
        thread_.join();
    }
    SlowClients(const SlowClients&) = delete;
    SlowClients& operator=(const SlowClients&) = delete;

    // Waits until no connection is still connecting, then a moment for the server to
    // close what it refuses.
    void waitSettled() {
        const Clock::time_point deadline = Clock::now() + kConnectLimit;
        while (connecting_.load() > 0 && Clock::now() < deadline && !stop_)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(kSettleTime);
    }

    int open() const { return open_.load(); }
    std::uint64_t connects() const { return connects_.load(); }
    std::uint64_t closedByServer() const { return closedByServer_.load(); }
    std::uint64_t failedConnects() const { return failedConnects_.load(); }
    std::uint64_t lines() const { return lines_.load(); }

private:
    struct Slot {
        web::Socket socket;
        bool connected = false;
        Clock::time_point next{};
    };

    void run() {
        const Clock::time_point start = Clock::now();
        const auto count = static_cast<std::int64_t>(slots_.size());
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            connect(i);
            // The lines are spread over the interval, so the server gets them steadily.
            slots_[i].next = start + interval_ * (static_cast<std::int64_t>(i) + 1) / count;
        }
        epoll_event events[256];
        while (!stop_) {
            const int ready = epoll_wait(epoll_.fd(), events, 256, 10);
            for (int e = 0; e < ready; ++e) onEvent(events[e].data.u32, events[e].events);
            const Clock::time_point now = Clock::now();
            for (std::size_t i = 0; i < slots_.size(); ++i) {
                if (slots_[i].next > now) continue;
                slots_[i].next += interval_;
                tick(i);
            }
        }
    }

    void connect(std::size_t i) {
        Slot& slot = slots_[i];
        slot.socket = web::Socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        const int on = 1;
        setsockopt(slot.socket.fd(), IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, sources_[i % sources_.size()].c_str(), &local.sin_addr);
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(static_cast<std::uint16_t>(server_.port));
        inet_pton(AF_INET, server_.address.c_str(), &remote.sin_addr);
        ++connects_;
        if (slot.socket.fd() < 0 ||
            ::bind(slot.socket.fd(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            (::connect(slot.socket.fd(), reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0 &&
             errno != EINPROGRESS)) {
            ++failedConnects_;
            slot.socket = web::Socket();
            return;
        }
        epoll_event event{};
        event.events = EPOLLOUT | EPOLLIN | EPOLLRDHUP;
        event.data.u32 = static_cast<std::uint32_t>(i);
        epoll_ctl(epoll_.fd(), EPOLL_CTL_ADD, slot.socket.fd(), &event);
        ++connecting_;
    }

    void onEvent(std::size_t i, std::uint32_t events) {
        Slot& slot = slots_[i];
        if (slot.socket.fd() < 0) return;
        if (!slot.connected && (events & EPOLLOUT) != 0) {
            --connecting_;
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(slot.socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length);
            if (error != 0) {
                ++failedConnects_;
                slot.socket = web::Socket();
                return;
            }
            slot.connected = true;
            ++open_;
            epoll_event event{};
            event.events = EPOLLIN | EPOLLRDHUP;
            event.data.u32 = static_cast<std::uint32_t>(i);
            epoll_ctl(epoll_.fd(), EPOLL_CTL_MOD, slot.socket.fd(), &event);
            send(slot, "GET / HTTP/1.1\r\n");
            if (slot.socket.fd() < 0) return;
        }
        if ((events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) == 0) return;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(slot.socket.fd(), buffer, sizeof buffer, 0);
            if (n > 0) continue;  // a reply (a refusal or a time-out); the close follows
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
            drop(slot);
            return;
        }
    }

    // The next line, or a new connection for a slot the server closed.
    void tick(std::size_t i) {
        Slot& slot = slots_[i];
        if (slot.socket.fd() < 0) {
            connect(i);
        } else if (slot.connected) {
            send(slot, "X-Slow-Line: " + std::to_string(lines_.load()) + "\r\n");
        }
    }

    void send(Slot& slot, const std::string& line) {
        const ssize_t n = ::send(slot.socket.fd(), line.data(), line.size(), MSG_NOSIGNAL);
        if (n == static_cast<ssize_t>(line.size())) {
            ++lines_;
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            drop(slot);
        }
    }

    void drop(Slot& slot) {
        if (slot.connected) {
            --open_;
            ++closedByServer_;
        } else {
            --connecting_;
            ++failedConnects_;
        }
        slot.connected = false;
        slot.socket = web::Socket();  // closing also leaves the epoll set
    }

    bench::Endpoint server_;
    std::vector<std::string> sources_;
    std::chrono::milliseconds interval_;
    std::vector<Slot> slots_;
    web::Socket epoll_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connecting_{0};
    std::atomic<int> open_{0};
    std::atomic<std::uint64_t> connects_{0};
    std::atomic<std::uint64_t> closedByServer_{0};
    std::atomic<std::uint64_t> failedConnects_{0};
    std::atomic<std::uint64_t> lines_{0};
    std::thread thread_;
};

// The highest thread counts seen while the hall runs, sampled every 50 ms: not while its
// threads start, since a new thread carries its creator's name until it names itself.
class ThreadSampler {
public:
    ThreadSampler()
        : thread_([this] {
              bench::nameThisThread("sampler");
              while (!stop_) {
                  if (active_) {
                      process_ = std::max(process_.load(), bench::processThreads());
                      server_ = std::max(server_.load(), bench::serverThreads());
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          }) {}
    ~ThreadSampler() { finish(); }
    ThreadSampler(const ThreadSampler&) = delete;
    ThreadSampler& operator=(const ThreadSampler&) = delete;

    void setActive(bool active) { active_ = active; }
    void finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int process() const { return process_.load(); }
    int server() const { return server_.load(); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> active_{false};
    std::atomic<int> process_{0};
    std::atomic<int> server_{0};
    std::thread thread_;
};

struct HallRun {
    bench::HallReport report;
    int processThreads = 0;
    int serverThreads = 0;
};

HallRun sampledHall(const bench::ExamServer& server, const bench::HallOptions& options) {
    ThreadSampler sampler;
    bench::HallOptions sampled = options;
    sampled.begun = [&sampler] { sampler.setActive(true); };
    sampled.ended = [&sampler] { sampler.setActive(false); };
    HallRun run{bench::runHall(server, sampled), 0, 0};
    sampler.finish();
    run.processThreads = sampler.process();
    run.serverThreads = sampler.server();
    return run;
}

void printThreads(const HallRun& run) {
    std::printf(
        "threads while the hall ran: server %d (at most), process %d (Threads of /proc/self/status, "
        "the benchmark's %d candidates and its own threads included)\n",
        run.serverThreads, run.processThreads, run.report.candidates);
}

struct Settings {
    int slowCount = kDefaultSlow;
    int slowAddresses = 1;
    std::chrono::seconds interval{kDefaultIntervalSeconds};
    bench::HallOptions hall;
};

// 127.0.0.3, and with more than one address the ones after it.
std::vector<std::string> slowAddresses(int count) {
    std::vector<std::string> addresses;
    for (int i = 0; i < count; ++i) addresses.push_back("127.0.0." + std::to_string(kFirstSlowHost + i));
    return addresses;
}

int run(const Settings& settings) {
    const int slowCount = settings.slowCount;
    const std::chrono::seconds interval = settings.interval;
    bench::HallOptions options = settings.hall;
    bench::raiseOpenFileLimit(static_cast<std::size_t>(slowCount) * 3 +
                              static_cast<std::size_t>(options.candidates) * 4 + 1024);
    options.address = [](int) { return std::string(kCandidateAddress); };
    const std::vector<std::string> sources = slowAddresses(settings.slowAddresses);
    std::printf(
        "slow clients: %d candidates from %s (think time %lld ms), %d slow connections from %s%s, one line "
        "every %lld s\n",
        options.candidates, kCandidateAddress, static_cast<long long>(options.think.count()), slowCount,
        sources.front().c_str(), sources.size() > 1 ? (" to " + sources.back()).c_str() : "",
        static_cast<long long>(interval.count()));

    HallRun alone;
    {
        bench::ExamServer server("slow-client-bench");
        std::printf("\nthe hall alone (server on 127.0.0.1:%d)\n", server.endpoint().port);
        alone = sampledHall(server, options);
        bench::printHall(alone.report);
        printThreads(alone);
    }
    std::fflush(stdout);

    HallRun beside;
    {
        bench::ExamServer server("slow-client-bench");
        std::printf("\nthe hall beside the slow clients (server on 127.0.0.1:%d)\n", server.endpoint().port);
        SlowClients slow(server.endpoint(), sources, slowCount, interval);
        slow.waitSettled();
        std::printf(
            "slow connections before the hall: %d open, %llu closed by the server, %llu not connected\n",
            slow.open(), static_cast<unsigned long long>(slow.closedByServer()),
            static_cast<unsigned long long>(slow.failedConnects()));
        beside = sampledHall(server, options);
        bench::printHall(beside.report);
        printThreads(beside);
        std::printf(
            "slow connections after the hall: %d open; in all %llu connects, %llu closed by the server, "
            "%llu lines sent\n",
            slow.open(), static_cast<unsigned long long>(slow.connects()),
            static_cast<unsigned long long>(slow.closedByServer()),
            static_cast<unsigned long long>(slow.lines()));
    }

    const double p99Alone = bench::summarize(alone.report.all).p99;
    const double p99Beside = bench::summarize(beside.report.all).p99;
    const double factor = p99Alone > 0 ? p99Beside / p99Alone : 0;
    std::printf(
        "\np99 of the hall's requests: %.1f ms alone, %.1f ms beside the slow clients: %.2f times "
        "(target at most %.0f: %s)\n",
        p99Alone, p99Beside, factor, kLatencyFactorTarget,
        factor <= kLatencyFactorTarget ? "met" : "NOT met");
    const int threads = std::max(alone.serverThreads, beside.serverThreads);
    std::printf("server threads: at most %d (target the pool of %d plus a handful, at most %d: %s)\n",
                threads, kPoolSize, kPoolSize + kThreadsBesidePool,
                threads <= kPoolSize + kThreadsBesidePool ? "met" : "NOT met");
    return alone.report.problems.empty() && beside.report.problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    settings.hall.candidates = kDefaultCandidates;
    settings.hall.think = std::chrono::milliseconds(kDefaultThinkMs);
    const auto number = [&](int i, int low, int high, int fallback) {
        return argc > i ? std::clamp(std::atoi(argv[i]), low, high) : fallback;
    };
    settings.slowCount = number(1, 1, kMaxSlow, kDefaultSlow);
    settings.hall.candidates = number(2, 1, kMaxCandidates, kDefaultCandidates);
    settings.hall.think = std::chrono::milliseconds(number(3, 0, kMaxThinkMs, kDefaultThinkMs));
    settings.interval = std::chrono::seconds(number(4, 1, kMaxIntervalSeconds, kDefaultIntervalSeconds));
    settings.slowAddresses = number(5, 1, kMaxSlowAddresses, 1);
    try {
        return run(settings);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 2;
    }
}
