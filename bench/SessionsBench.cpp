// Many live sessions at once: N browsers (opened by a few client threads, a loopback
// address each) open "/" and post the window size, and are then left on the home page.
// Prints the process's resident memory and open files before and after, and how many
// starts were refused. The server caps live sessions the way the program does, from the
// default memory budget for sessions. Exits with 1 when a start was refused, the memory
// grew past the budget, or the open files grew with the sessions.
//
//     build/bench/SessionsBench [sessions] [client threads]   (default 10000, 8)

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/ExamHall.h"
#include "host/ServerHost.h"

namespace {

constexpr int kDefaultSessions = 10000;
constexpr int kMaxSessions = 60000;
constexpr int kDefaultClients = 8;
// Open files may grow by the pool's connections and a few sockets, never with the sessions.
constexpr std::size_t kFileSlack = 128;

std::size_t residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

std::size_t openFiles() {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

int run(int sessions, int clients) {
    bench::raiseOpenFileLimit(static_cast<std::size_t>(clients) * 4 + 4096);
    const std::size_t budget = host::kDefaultSessionMemory;
    bench::ExamServer server("sessions-bench", host::SessionCapForMemory(budget));
    // One session first, so the figures before count the server as it runs.
    bench::openHome(server.endpoint(), bench::clientAddress(0));
    const std::size_t rssBefore = residentKiB();
    const std::size_t filesBefore = openFiles();
    std::printf("%d sessions from %d client threads, cap %zu sessions, server on 127.0.0.1:%d\n", sessions,
                clients, host::SessionCapForMemory(budget), server.endpoint().port);

    std::atomic<int> next{1};
    std::atomic<int> refused{0};
    std::mutex problemsMutex;
    std::vector<std::string> problems;
    std::vector<double> times;
    const bench::Clock::time_point start = bench::Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            bench::nameThisThread("browser");
            std::vector<double> mine;
            for (int i = next++; i <= sessions; i = next++) {
                const bench::Clock::time_point opened = bench::Clock::now();
                try {
                    bench::openHome(server.endpoint(), bench::clientAddress(i % 60000));
                    mine.push_back(bench::millisecondsSince(opened));
                } catch (const std::exception& error) {
                    ++refused;
                    std::lock_guard lock(problemsMutex);
                    if (problems.size() < 5) problems.push_back(error.what());
                }
            }
            std::lock_guard lock(problemsMutex);
            times.insert(times.end(), mine.begin(), mine.end());
        });
    }
    for (std::thread& thread : threads) thread.join();
    const double wallMs = bench::millisecondsSince(start);
    const std::size_t rssAfter = residentKiB();
    const std::size_t filesAfter = openFiles();

    const bench::Latencies figures = bench::summarize(times);
    std::printf(
        "opened %zu sessions in %.0f ms; \"/\" plus window size: median %.1f ms, p99 %.1f ms, max %.1f ms\n",
        figures.count, wallMs, figures.p50, figures.p99, figures.max);
    std::printf("resident memory: %.1f MiB before, %.1f MiB after (%.1f KiB per session)\n",
                rssBefore / 1024.0, rssAfter / 1024.0,
                (static_cast<double>(rssAfter) - rssBefore) / std::max(sessions, 1));
    std::printf("open files: %zu before, %zu after\n", filesBefore, filesAfter);
    std::printf("refused or failed starts: %d\n", refused.load());
    for (const std::string& problem : problems) std::printf("  %s\n", problem.c_str());
    const bool ok = refused == 0 && rssAfter * 1024 <= budget && filesAfter <= filesBefore + kFileSlack;
    std::printf("checks (no start refused, memory within %zu MiB, open files independent of sessions): %s\n",
                budget >> 20, ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int sessions = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, kMaxSessions) : kDefaultSessions;
    const int clients = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 64) : kDefaultClients;
    try {
        return run(sessions, clients);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 2;
    }
}
