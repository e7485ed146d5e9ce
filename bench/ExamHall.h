#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

namespace web {
class TWFStandAloneServer;
}
namespace exam {
class Autosave;
class ExamResumer;
}

// The exam application as the benchmarks run it, and a hall of candidates taking its
// sample exam.
namespace bench {

// The exam application in this process on a loopback port, in a temporary folder (the
// working folder while it runs) with a fresh db1.db holding the sample exam. With
// BENCH_AUTOSAVE=1 in the environment the answers are autosaved as by the program, and the
// writer's commits are printed at the end.
class ExamServer {
public:
    // `maxSessions`: live sessions allowed at once, as the program sets it (0: no cap).
    explicit ExamServer(const std::string& name, std::size_t maxSessions = 0);
    ~ExamServer();
    ExamServer(const ExamServer&) = delete;
    ExamServer& operator=(const ExamServer&) = delete;

    Endpoint endpoint() const { return {"127.0.0.1", port_}; }
    const std::filesystem::path& database() const { return database_; }

private:
    TemporaryFolder folder_;
    WorkingFolder working_;
    std::filesystem::path database_;
    std::unique_ptr<exam::Autosave> autosave_;
    std::unique_ptr<exam::ExamResumer> resumer_;
    std::chrono::steady_clock::time_point started_;
    std::unique_ptr<web::TWFStandAloneServer> server_;
    int port_ = 0;
};

inline constexpr const char* kHomeTitle = "首页---栎川考试系统";
inline constexpr const char* kExamTitle = "考试页面---栎川考试系统";
inline constexpr const char* kHandedInTitle = "交卷完成---栎川考试系统";

// The steps of a visit, in order.
enum Step { kStart, kSize, kOpenExam, kNextQuestion, kHandIn, kStepCount };
inline constexpr const char* kStepNames[kStepCount] = {"open \"/\"", "post window size", "open the exam",
                                                       "next question", "hand in"};

// Opens "/" from `source` and posts the window size, as a browser does; returns the home
// page. Throws with the step's problem.
std::string openHome(const Endpoint& server, const std::string& source);

// Opens "/" from `source`, posts the window size and clicks the exam on the home page, as
// a browser does; returns the exam page. Throws with the step's problem.
std::string openExam(const Endpoint& server, const std::string& source);

struct HallOptions {
    int candidates = 200;
    // Before each click a candidate waits this long (spread between half and one and a half).
    std::chrono::milliseconds think{0};
    // The think time starts after the exam is open: "/", the window size and the exam
    // follow each other at once for everyone.
    bool startBurst = false;
    // The address candidate `seat` (from 1) connects from.
    std::function<std::string(int seat)> address = [](int seat) { return clientAddress(seat); };
    std::chrono::seconds timeLimit{240};
    // Called when every candidate's thread is running and the hall begins, and when the
    // last candidate is done.
    std::function<void()> begun = [] {};
    std::function<void()> ended = [] {};
    // Called by each candidate with the last question answered, right before the hand-in
    // (outside its timing): a latch here makes the whole hall hand in at one moment.
    std::function<void()> beforeHandIn = [] {};
};

struct HallReport {
    double wallMs = 0;
    std::vector<double> perStep[kStepCount];
    std::vector<double> all;
    int handedIn = 0;
    int candidates = 0;
    // Failed visits and stored rows that differ from the papers handed in.
    std::vector<std::string> problems;
};

// N candidates (a thread each) start at the same moment; each opens "/", posts the window
// size, clicks the exam, answers every question (moving on with "下一题"), types a name of
// its own and hands the paper in. Then the stored rows are compared with the papers.
HallReport runHall(const ExamServer& server, const HallOptions& options);

// Latencies per step and overall, papers handed in, then the problems (a few of them).
void printHall(const HallReport& report);

}  // namespace bench
