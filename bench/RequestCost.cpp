// What the server spends per request, counted in instructions rather than seconds (the
// machine is shared, so times vary; instruction counts do not). One client runs, one
// request at a time, N candidates through the start ("/", the window size, opening the
// exam), then M clicks of "下一题"/"上一题" on one exam page, then N hand-ins. With
// --callgrind the program asks callgrind to zero its counters before each step and dump
// them after it, so every dump holds one step alone; the script beside this program runs
// it that way and prints instructions per request:
//
//     bench/request-cost.sh build-cc [candidates] [clicks]        (default 40 200)
//     build-cc/bench/RequestCost [candidates] [clicks] [--callgrind]
//
// Without callgrind it prints wall time per step only. With --save FOLDER every page the
// server sent is also written there (session ids replaced by "SESSION", the questions in
// their stored order, so that two runs can be compared byte for byte). Every reply is checked as the
// other benchmarks check them; exits with 1 when one is wrong.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "bench/BenchSupport.h"
#include "bench/ExamHall.h"

namespace {

constexpr int kDefaultCandidates = 40;
constexpr int kDefaultClicks = 200;
constexpr int kMaxCount = 5000;
constexpr std::chrono::seconds kTimeout{120};  // callgrind slows the server fifty-fold

// Zeroes and dumps callgrind's counters of this process, when asked to.
class Counters {
public:
    explicit Counters(bool enabled) : enabled_(enabled) {}

    void zero() { control("-z"); }
    void dump(const std::string& label) { control("--dump=" + label); }

private:
    void control(const std::string& option) {
        if (!enabled_) return;
        const std::string command =
            "callgrind_control " + option + " " + std::to_string(getpid()) + " >/dev/null";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("callgrind_control failed: " + command);
    }

    bool enabled_;
};

// Writes the pages the server sends into a folder, when asked to.
class PageLog {
public:
    explicit PageLog(std::string folder) : folder_(std::move(folder)) {}

    void save(const std::string& page) {
        if (folder_.empty()) return;
        static const std::regex kSessionId("[0-9a-z]{28}");
        const std::string text = std::regex_replace(page, kSessionId, "SESSION");
        char name[32];
        std::snprintf(name, sizeof name, "%05d.html", ++count_);
        std::ofstream(std::filesystem::path(folder_) / name, std::ios::binary) << text;
    }

private:
    std::string folder_;
    int count_ = 0;
};

PageLog* pageLog = nullptr;

std::string fetch(const bench::Endpoint& server, int seat, const std::string& bytes, const char* title) {
    bench::Reply reply = bench::exchange(server, bench::clientAddress(seat), bytes, kTimeout);
    const std::string problem = bench::pageProblem(reply, title);
    if (!problem.empty()) throw std::runtime_error(problem);
    if (pageLog != nullptr) pageLog->save(reply.body);
    return std::move(reply.body);
}

// Runs `each` for every seat, timed and counted as one step.
void step(const char* label, int count, Counters& counters, const std::function<void(int)>& each) {
    counters.zero();
    const bench::Clock::time_point start = bench::Clock::now();
    for (int seat = 0; seat < count; ++seat) each(seat);
    const double ms = bench::millisecondsSince(start);
    counters.dump(label);
    std::printf("%-10s %5d requests  %8.2f ms each\n", label, count, ms / count);
    std::fflush(stdout);
}

int run(int candidates, int clicks, bool callgrind) {
    bench::ExamServer server("request-cost");
    const bench::Endpoint endpoint = server.endpoint();
    Counters counters(callgrind);
    if (pageLog != nullptr) {
        // Saved pages are compared between runs: the questions keep their order.
        exam::db::Database db(server.database());
        exam::db::Query query(db);
        query.SQL().SetText("update test set set3=1");
        query.ExecSQL();
    }
    std::vector<std::string> pages(static_cast<std::size_t>(candidates));
    auto page = [&](int seat) -> std::string& { return pages[static_cast<std::size_t>(seat)]; };

    // Whatever the server builds once (tables, prepared statements, the sample exam's
    // first reading) is built before counting.
    bench::openExam(endpoint, bench::clientAddress(candidates));

    step("start", candidates, counters, [&](int seat) {
        const std::string probe = fetch(endpoint, seat, bench::getRequest(endpoint, "/"), "");
        page(seat) = bench::between(probe, "/EXEC/0/", "\"");
        if (page(seat).size() != 28) throw std::runtime_error("the start page has no session address");
    });
    step("size", candidates, counters, [&](int seat) {
        const std::string bytes =
            bench::postRequest(endpoint, "/EXEC/0/" + page(seat), "WF_width=1000&WF_height=700");
        page(seat) = fetch(endpoint, seat, bytes, bench::kHomeTitle);
    });
    step("exam", candidates, counters, [&](int seat) {
        const std::size_t cell = page(seat).find("SubmitClickConfirm('WFGRID1','");
        if (cell == std::string::npos) throw std::runtime_error("the home page lists no exam");
        const std::string exam = bench::between(page(seat), "'WFGRID1','", "'", cell);
        const std::string bytes =
            bench::clickRequest(endpoint, page(seat), {{"WF_Action", "WFGRID1"}, {"WF_ActionParam", exam}});
        page(seat) = fetch(endpoint, seat, bytes, bench::kExamTitle);
    });
    step("click", clicks, counters, [&](int click) {
        const char* button = click % 2 == 0 ? "WFBUTTON2" : "WFBUTTON1";
        const std::string bytes = bench::clickRequest(endpoint, page(0), {{"WF_Action", button}});
        page(0) = fetch(endpoint, 0, bytes, bench::kExamTitle);
    });
    step("handin", candidates, counters, [&](int seat) {
        char name[32];
        std::snprintf(name, sizeof name, "考生%04d", seat);
        const std::string bytes =
            bench::clickRequest(endpoint, page(seat), {{"WF_Action", "WFBUTTON4"}, {"WFEDIT1", name}});
        fetch(endpoint, seat, bytes, bench::kHandedInTitle);
    });
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    bool callgrind = false;
    std::string saveFolder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--callgrind") == 0) {
            callgrind = true;
        } else if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc) {
            saveFolder = argv[++i];
        } else {
            counts.push_back(std::clamp(std::atoi(argv[i]), 1, kMaxCount));
        }
    }
    const int candidates = counts.size() > 0 ? counts[0] : kDefaultCandidates;
    const int clicks = counts.size() > 1 ? counts[1] : kDefaultClicks;
    PageLog log(saveFolder);
    if (!saveFolder.empty()) pageLog = &log;
    try {
        return run(candidates, clicks, callgrind);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "request cost failed: %s\n", error.what());
        return 1;
    }
}
