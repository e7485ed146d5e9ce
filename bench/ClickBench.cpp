// Exam clicks against nginx, in one run. The exam application runs in this process on a
// loopback port with a fresh database holding the sample exam; for each number of clients
// C, C sessions are brought to the exam page first, then each client posts "下一题" and
// "上一题" in turn (the page's SubmitForm, as a browser posts it) as fast as it can for a
// fixed time, one connection per request, from a loopback address of its own. Then a
// private nginx (two workers, its own configuration in a temporary folder) serves a saved
// copy of the exam page as a static file, measured by the same client code with the same
// C. Prints per C the requests per second and the median and 99th percentile latency of
// both, the ratio clicks/nginx, and the targets: clicks at least 40% of nginx's rate at
// every C, the 99th percentile of a click at 200 clients at most 50 ms. Every reply is
// checked (the exam page without an alert, the file whole); exits with 1 when one is not.
//
//     build/bench/ClickBench [seconds per measurement] [clients ...]     (default 10, 50 200)
//     build/bench/ClickBench 2 20                                        (a quick try)

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/ExamHall.h"
#include "bench/Nginx.h"

namespace {

constexpr int kDefaultSeconds = 10;
constexpr int kMaxSeconds = 600;
constexpr int kMaxClients = 2000;
constexpr std::size_t kMaxRequestsPerClient = 1000000;
constexpr std::chrono::seconds kRequestTimeout{20};
constexpr double kRateTarget = 0.40;
constexpr int kLatencyTargetClients = 200;
constexpr double kLatencyTargetMs = 50.0;
constexpr const char* kPageFile = "exam.html";
constexpr int kInterrupted = 130;

// Set by Ctrl-C: the measurement ends early and everything is cleaned up.
std::atomic<bool> interrupted{false};

void onInterrupt(int) {
    interrupted = true;
}

// One client of a measurement: the request to send next and whether a reply is right.
class LoadClient {
public:
    virtual ~LoadClient() = default;
    virtual const std::string& nextRequest() = 0;
    // Empty when the reply is what was expected, else what is wrong with it.
    virtual std::string takeReply(bench::Reply& reply) = 0;
};

// A candidate on the exam page clicking "下一题" and "上一题" in turn, so it moves between
// the first two questions; every reply must be the exam page without an alert (the first
// question's "上一题" would bring one).
class ClickClient : public LoadClient {
public:
    ClickClient(bench::Endpoint server, std::string examPage)
        : server_(std::move(server)), page_(std::move(examPage)) {
        prepare();
    }
    const std::string& nextRequest() override { return request_; }
    std::string takeReply(bench::Reply& reply) override {
        std::string problem = bench::pageProblem(reply, bench::kExamTitle);
        if (!problem.empty()) return problem;
        page_ = std::move(reply.body);
        forward_ = !forward_;
        return prepare();
    }

private:
    std::string prepare() {
        request_ = bench::clickRequest(server_, page_, {{"WF_Action", forward_ ? "WFBUTTON2" : "WFBUTTON1"}});
        return request_.empty() ? "the exam page has no SubmitForm" : "";
    }

    bench::Endpoint server_;
    std::string page_;
    std::string request_;
    bool forward_ = true;
};

// A browser fetching the saved page from nginx; every reply must be the whole file.
class FileClient : public LoadClient {
public:
    FileClient(const bench::Endpoint& server, std::size_t size)
        : request_(bench::getRequest(server, std::string("/") + kPageFile)), size_(size) {}
    const std::string& nextRequest() override { return request_; }
    std::string takeReply(bench::Reply& reply) override {
        if (reply.status == 0) return reply.error;
        if (reply.status != 200) return "status " + std::to_string(reply.status);
        if (reply.body.size() != size_) return "a file of " + std::to_string(reply.body.size()) + " bytes";
        return "";
    }

private:
    std::string request_;
    std::size_t size_;
};

struct Measurement {
    double seconds = 0;
    std::size_t answered = 0;
    bench::Latencies latency;
    std::size_t failures = 0;
    std::string firstFailure;
    double rate() const { return seconds > 0 ? static_cast<double>(answered) / seconds : 0; }
};

// Every client sends requests back to back from its own address until the time is up; a
// client whose reply is wrong stops (a click client no longer knows its page).
Measurement measure(const bench::Endpoint& server, std::vector<std::unique_ptr<LoadClient>>& clients,
                    std::chrono::seconds duration) {
    const int count = static_cast<int>(clients.size());
    std::vector<std::vector<double>> times(clients.size());
    std::vector<std::string> failures(clients.size());
    std::latch ready(count + 1);
    bench::Clock::time_point end;
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            bench::nameThisThread("client");
            const std::string source = bench::clientAddress(i);
            LoadClient& client = *clients[static_cast<std::size_t>(i)];
            std::vector<double>& mine = times[static_cast<std::size_t>(i)];
            mine.reserve(16384);
            ready.arrive_and_wait();
            while (bench::Clock::now() < end && mine.size() < kMaxRequestsPerClient && !interrupted) {
                const bench::Clock::time_point start = bench::Clock::now();
                bench::Reply reply = bench::exchange(server, source, client.nextRequest(), kRequestTimeout);
                const double ms = bench::millisecondsSince(start);
                std::string problem = client.takeReply(reply);
                if (!problem.empty()) {
                    failures[static_cast<std::size_t>(i)] = std::move(problem);
                    return;
                }
                mine.push_back(ms);
            }
        });
    }
    const bench::Clock::time_point start = bench::Clock::now();
    end = start + duration;
    ready.arrive_and_wait();
    for (std::thread& thread : threads) thread.join();

    Measurement result;
    result.seconds = bench::millisecondsSince(start) / 1000.0;
    std::vector<double> all;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        all.insert(all.end(), times[i].begin(), times[i].end());
        if (failures[i].empty()) continue;
        if (result.failures++ == 0) result.firstFailure = failures[i];
    }
    result.answered = all.size();
    result.latency = bench::summarize(std::move(all));
    return result;
}

// C sessions on the exam page, opened side by side from the clients' addresses.
std::vector<std::unique_ptr<LoadClient>> clickClients(const bench::Endpoint& server, int count,
                                                      std::string& examPage) {
    std::vector<std::string> pages(static_cast<std::size_t>(count));
    std::vector<std::string> failures(static_cast<std::size_t>(count));
    std::vector<std::thread> threads;
    constexpr int kOpening = 16;  // at a time: this is set-up, not the measurement
    for (int first = 0; first < kOpening; ++first) {
        threads.emplace_back([&, first] {
            bench::nameThisThread("setup");
            for (int i = first; i < count; i += kOpening) {
                try {
                    pages[static_cast<std::size_t>(i)] = bench::openExam(server, bench::clientAddress(i));
                } catch (const std::exception& error) {
                    failures[static_cast<std::size_t>(i)] = error.what();
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::string& failure : failures) {
        if (!failure.empty()) throw std::runtime_error("a session could not open the exam: " + failure);
    }
    examPage = pages.front();
    std::vector<std::unique_ptr<LoadClient>> clients;
    for (std::string& page : pages) clients.push_back(std::make_unique<ClickClient>(server, std::move(page)));
    return clients;
}

void printLine(const char* what, const Measurement& m) {
    std::printf("  %-7s %9.0f requests/s   p50 %7.2f ms   p99 %7.2f ms   (%zu requests in %.1f s", what,
                m.rate(), m.latency.p50, m.latency.p99, m.answered, m.seconds);
    if (m.failures > 0) std::printf(", %zu clients FAILED: %s", m.failures, m.firstFailure.c_str());
    std::printf(")\n");
}

int run(std::chrono::seconds duration, const std::vector<int>& clientCounts) {
    const int most = *std::max_element(clientCounts.begin(), clientCounts.end());
    bench::raiseOpenFileLimit(static_cast<std::size_t>(most) * 8 + 4096);
    bench::ExamServer server("click-bench");
    std::printf("exam clicks against nginx: %lld s per measurement, exam server on 127.0.0.1:%d\n",
                static_cast<long long>(duration.count()), server.endpoint().port);

    std::unique_ptr<bench::Nginx> nginx;
    // The questions come in each session's own order, so the pages of later sessions may
    // differ in length from the copy nginx serves; its replies are checked against the copy.
    std::size_t servedSize = 0;
    bool failed = false;
    bool targetsMet = true;
    for (const int count : clientCounts) {
        if (interrupted) break;
        std::string examPage;
        std::vector<std::unique_ptr<LoadClient>> clicks = clickClients(server.endpoint(), count, examPage);
        if (!nginx) {
            nginx = std::make_unique<bench::Nginx>(kPageFile, examPage);
            servedSize = examPage.size();
            std::printf("nginx (%s) on 127.0.0.1:%d serving the exam page, %zu bytes\n",
                        nginx->program().c_str(), nginx->endpoint().port, examPage.size());
        }
        const Measurement clicked = measure(server.endpoint(), clicks, duration);
        std::vector<std::unique_ptr<LoadClient>> fetches;
        for (int i = 0; i < count; ++i)
            fetches.push_back(std::make_unique<FileClient>(nginx->endpoint(), servedSize));
        const Measurement fetched = measure(nginx->endpoint(), fetches, duration);
        if (interrupted) break;

        const double ratio = fetched.rate() > 0 ? clicked.rate() / fetched.rate() : 0;
        std::printf("C=%d\n", count);
        printLine("clicks", clicked);
        printLine("nginx", fetched);
        const bool rateMet = ratio >= kRateTarget;
        std::printf("  clicks/nginx %.1f%% (target at least %.0f%%: %s)\n", ratio * 100, kRateTarget * 100,
                    rateMet ? "met" : "NOT met");
        targetsMet = targetsMet && rateMet;
        if (count == kLatencyTargetClients) {
            const bool latencyMet = clicked.latency.p99 <= kLatencyTargetMs;
            std::printf("  p99 of a click at %d clients %.1f ms (target at most %.0f ms: %s)\n", count,
                        clicked.latency.p99, kLatencyTargetMs, latencyMet ? "met" : "NOT met");
            targetsMet = targetsMet && latencyMet;
        }
        failed = failed || clicked.failures > 0 || fetched.failures > 0;
        std::fflush(stdout);
    }
    if (interrupted) {
        std::printf("interrupted\n");
        return kInterrupted;
    }
    std::printf("targets: %s\n", targetsMet ? "all met" : "NOT all met");
    std::printf("checks: %s\n", failed ? "FAILED, some replies were wrong" : "every reply right: passed");
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, kMaxSeconds) : kDefaultSeconds;
    std::vector<int> clientCounts;
    for (int i = 2; i < argc; ++i) clientCounts.push_back(std::clamp(std::atoi(argv[i]), 1, kMaxClients));
    if (clientCounts.empty()) clientCounts = {50, 200};

    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    try {
        return run(std::chrono::seconds(seconds), clientCounts);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 2;
    }
}
