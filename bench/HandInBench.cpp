// Everyone hands in at the bell: N candidates (one thread and loopback address each) open
// the exam application's sample exam, answer every question, and then wait at one gate
// with their papers ready; when the last one arrives, all hand in at the same moment.
// Prints the hand-in latency (median, 95th and 99th percentile, maximum) against the
// target of 100 ms for the 99th percentile, and checks that every paper is stored exactly
// once with its answers and score. Exits with 1 when a check fails or the target is missed.
//
// With "direct" the papers go straight to the hand-in of the application, without HTTP
// and pages: N threads, each with a session's database handle and its paper ready, are
// released through a latch; this shows what the group commit itself costs.
//
//     build/bench/HandInBench [candidates] [direct]   (default 500)

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <latch>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/db/Database.h"
#include "app/db/GroupCommit.h"
#include "app/db/Query.h"
#include "app/exam/HandIn.h"
#include "bench/BenchSupport.h"
#include "bench/ExamHall.h"

namespace {

constexpr int kDefaultCandidates = 500;
constexpr int kMaxCandidates = 2000;
constexpr double kHandInTargetMs = 100.0;
// A candidate that failed on the way never arrives; the others go on after this long.
constexpr std::chrono::seconds kGateWait{180};

// Opens when `expected` candidates have arrived, or when the wait runs out.
class Bell {
public:
    explicit Bell(int expected) : expected_(expected) {}

    void arriveAndWait() {
        std::unique_lock lock(mutex_);
        if (++arrived_ >= expected_) rung_.notify_all();
        rung_.wait_for(lock, kGateWait, [this] { return arrived_ >= expected_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable rung_;
    int expected_;
    int arrived_ = 0;
};

int run(int candidates) {
    bench::raiseOpenFileLimit(static_cast<std::size_t>(candidates) * 4 + 1024);
    bench::ExamServer server("hand-in-bench");
    std::printf("hand-in at the bell: %d candidates, server on 127.0.0.1:%d\n", candidates,
                server.endpoint().port);
    Bell bell(candidates);
    bench::HallOptions options;
    options.candidates = candidates;
    options.beforeHandIn = [&bell] { bell.arriveAndWait(); };
    const bench::HallReport report = bench::runHall(server, options);
    bench::printHall(report);
    const double p99 = bench::summarize(report.perStep[bench::kHandIn]).p99;
    const bool met = p99 <= kHandInTargetMs;
    std::printf("hand-in p99 %.1f ms (target at most %.0f ms): %s\n", p99, kHandInTargetMs,
                met ? "met" : "NOT met");
    return report.problems.empty() && met ? 0 : 1;
}

// The sample exam's id and question ids.
std::pair<std::string, std::vector<std::string>> sampleExam(const std::filesystem::path& file) {
    exam::db::Database db(file);
    exam::db::Query query(db);
    query.SQL().SetText("select testid,id from tm order by id");
    query.Open();
    std::pair<std::string, std::vector<std::string>> exam;
    for (; !query.Eof(); query.Next()) {
        exam.first = query.FieldByName("testid").AsString();
        exam.second.push_back(query.FieldByName("id").AsString());
    }
    return exam;
}

int runDirect(int candidates) {
    bench::ExamServer server("hand-in-direct-bench");
    const auto [examId, questions] = sampleExam(server.database());
    std::printf("hand-in without HTTP: %d papers of %zu answers released at once\n", candidates,
                questions.size());
    std::vector<double> times(static_cast<std::size_t>(candidates));
    std::vector<std::string> failures(static_cast<std::size_t>(candidates));
    std::latch ready(candidates + 1);
    std::vector<std::thread> threads;
    for (int seat = 0; seat < candidates; ++seat) {
        threads.emplace_back([&, seat] {
            const auto index = static_cast<std::size_t>(seat);
            try {
                exam::db::Database session(server.database());
                exam::Paper paper{examId, "考生" + std::to_string(seat), "127.0.0.1", {}};
                for (const std::string& id : questions) paper.answers.push_back({id, "A"});
                ready.arrive_and_wait();
                const bench::Clock::time_point start = bench::Clock::now();
                const exam::HandInResult result = exam::HandIn(session).submit(paper);
                times[index] = bench::millisecondsSince(start);
                if (result.outcome != exam::HandInOutcome::Stored) failures[index] = "refused";
            } catch (const std::exception& error) {
                failures[index] = error.what();
            }
        });
    }
    ready.arrive_and_wait();
    for (std::thread& thread : threads) thread.join();
    const bench::Latencies figures = bench::summarize(times);
    std::printf("hand-in: median %.1f ms, p95 %.1f ms, p99 %.1f ms, max %.1f ms\n", figures.p50, figures.p95,
                figures.p99, figures.max);
    exam::db::Database db(server.database());
    exam::db::Query query(db);
    query.SQL().SetText("select count(*),count(distinct 姓名) from cj");
    query.Open();
    const int failed = static_cast<int>(
        std::count_if(failures.begin(), failures.end(), [](const std::string& f) { return !f.empty(); }));
    std::printf("stored results %s (distinct names %s), failed hand-ins %d\n",
                query.Fields(0).AsString().c_str(), query.Fields(1).AsString().c_str(), failed);
    const bool ok = failed == 0 && query.Fields(0).AsInteger() == candidates &&
                    query.Fields(1).AsInteger() == candidates && figures.p99 <= kHandInTargetMs;
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int candidates = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, kMaxCandidates) : kDefaultCandidates;
    const bool direct = argc > 2 && std::string(argv[2]) == "direct";
    try {
        return direct ? runDirect(candidates) : run(candidates);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 2;
    }
}
