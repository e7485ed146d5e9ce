// How long the results page takes to build its answer matrix: 500 candidates, 100
// questions, one answer look-up per candidate and question, on a database this program
// builds in a temporary folder. Prints the times of several refreshes (and of rendering
// the page once) and whether the slowest refresh stays under one second.
//
//     build/bench/ResultsMatrixBench [candidates] [questions]

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "app/TWFUserSession.h"
#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Schema.h"
#include "app/db/Transaction.h"
#include "app/pages/results/TWFForm6.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/server/TWFApplication.h"

namespace {

using bench::Clock;
constexpr double kTargetMs = 1000.0;
constexpr int kTimedRuns = 5;

using bench::millisecondsSince;
using bench::TemporaryFolder;

// One exam with its questions and a handed-in paper per candidate, every question
// answered (about two thirds right); returns the exam's id.
std::int64_t addExamWithPapers(exam::db::Database& db, const std::string& name, int candidates, int questions,
                               std::mt19937& random) {
    exam::db::Query query(db);
    query.SQL().SetText("INSERT INTO test (考试名称,考试标识) VALUES (?,'一班')");
    query.Params({name});
    query.ExecSQL();
    const std::int64_t examId = db.LastInsertId();

    const std::vector<std::string> letters{"A", "B", "C", "D"};
    std::uniform_int_distribution<std::size_t> letter(0, letters.size() - 1);
    std::vector<std::int64_t> questionIds;
    std::vector<std::string> correct;
    query.SQL().SetText("INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (?,'单选题',?,?,?,1)");
    for (int q = 0; q < questions; ++q) {
        correct.push_back(letters[letter(random)]);
        query.Params({examId, "第" + std::to_string(q + 1) + "题的题目\r\n", "A.甲\r\nB.乙\r\nC.丙\r\nD.丁\r\n",
                      correct.back()});
        query.ExecSQL();
        questionIds.push_back(db.LastInsertId());
    }

    exam::db::Query answer(db);
    answer.SQL().SetText("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,'一班')");
    query.SQL().SetText("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'192.168.1.20',?,?,'一班')");
    std::uniform_int_distribution<int> wrong(0, 2);
    for (int c = 0; c < candidates; ++c) {
        const std::string candidate = "考生" + std::to_string(10000 + c);
        int score = 0;
        for (int q = 0; q < questions; ++q) {
            const bool right = wrong(random) != 0;
            score += right ? 1 : 0;
            const std::string given = right ? correct[static_cast<std::size_t>(q)] : letters[letter(random)];
            answer.Params({examId, questionIds[static_cast<std::size_t>(q)], candidate, given});
            answer.ExecSQL();
        }
        query.Params({examId, candidate, score});
        query.ExecSQL();
    }
    return examId;
}

void printTimes(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-28s min %8.1f ms   median %8.1f ms   max %8.1f ms\n", what, times.front(),
                times[times.size() / 2], times.back());
}

int run(int candidates, int questions) {
    TemporaryFolder folder("results-bench");
    const std::filesystem::path file = folder.path() / "db1.db";
    exam::db::InitDatabase(file, {std::string("bench-password"), false});

    std::int64_t examId = 0;
    {
        const Clock::time_point start = Clock::now();
        exam::db::Database db(file);
        std::mt19937 random(20240501);
        exam::db::Transaction transaction(db);
        // A second exam of the same size, so the look-ups have to pick their exam's rows.
        addExamWithPapers(db, "另一场考试", candidates, questions, random);
        examId = addExamWithPapers(db, "基准考试", candidates, questions, random);
        transaction.Commit();
        std::printf("database with 2 x %d papers of %d answers built in %.0f ms\n", candidates, questions,
                    millisecondsSince(start));
    }

    web::TWFApplication session(web::TWFSessionStart{});
    web::CurrentSessionScope current(&session);
    session.SetUserData(std::make_unique<exam::TWFUserSession>(file));
    exam::UserSession().ExamId = std::to_string(examId);

    Clock::time_point start = Clock::now();
    auto page = std::make_unique<exam::TWFForm6>();
    std::printf("%-28s %8.1f ms\n", "page creation (list)", millisecondsSince(start));
    exam::TWFForm6& results = *page;
    session.FormShown(session.AdoptForm(std::move(page)));

    results.WFRadioGroup1->ItemIndex = 1;
    std::vector<double> refreshes;
    for (int i = 0; i <= kTimedRuns; ++i) {
        start = Clock::now();
        results.WFLink1Click(*results.WFLink1);
        const double elapsed = millisecondsSince(start);
        if (i > 0) refreshes.push_back(elapsed);  // the first run warms the caches
    }
    std::printf("matrix: %d rows x %d columns\n", results.WFGrid1->RowCount(), results.WFGrid1->ColumnCount());
    printTimes("matrix refresh", refreshes);

    start = Clock::now();
    const std::size_t bytes = results.RenderDocument(session).size();
    std::printf("%-28s %8.1f ms (%zu bytes)\n", "page render", millisecondsSince(start), bytes);

    const double slowest = *std::max_element(refreshes.begin(), refreshes.end());
    const bool met = slowest < kTargetMs;
    std::printf("target: every matrix refresh under %.0f ms: %s\n", kTargetMs, met ? "met" : "MISSED");
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int candidates = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    const int questions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    try {
        return run(candidates, questions);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 2;
    }
}
