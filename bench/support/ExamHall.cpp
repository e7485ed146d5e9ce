#include "bench/ExamHall.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <latch>
#include <map>
#include <random>
#include <stdexcept>
#include <thread>
#include <utility>

#include "app/TWFServerController.h"
#include "app/autosave/Autosave.h"
#include "app/autosave/ExamResumer.h"
#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Schema.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/TWFStandAloneServer.h"

namespace bench {

namespace {

// No single request may take longer; the whole hall has its own time limit.
constexpr std::chrono::seconds kSocketTimeout{20};
// A request slower than this counts as a failure: a candidate would think the server hung.
constexpr double kSlowRequestMs = 5000.0;
constexpr std::size_t kProblemsShown = 8;

[[noreturn]] void fail(const std::string& why) {
    throw std::runtime_error(why);
}

// ---- the exam -----------------------------------------------------------------------------

struct Question {
    std::string id;
    std::string shownText;  // the first line of the question as the page carries it
    bool multipleChoice = false;
    int optionCount = 0;
    std::string answer;
    double points = 0;
};

struct Exam {
    std::string id;
    std::vector<Question> questions;
};

Exam readSampleExam(const std::filesystem::path& file) {
    exam::db::Database db(file);
    exam::db::Query query(db);
    query.SQL().SetText("select id from test");
    query.Open();
    if (query.RecordCount() != 1) throw std::runtime_error("the new database should hold one exam");
    Exam exam{query.FieldByName("id").AsString(), {}};
    query.SQL().SetText("select id,题型,题目,候选项,答案,分数 from tm where testid=? order by id");
    query.Params({exam.id});
    for (query.Open(); !query.Eof(); query.Next()) {
        Question question;
        question.id = query.FieldByName("id").AsString();
        const std::string text = query.FieldByName("题目").AsString();
        question.shownText = pageText(text.substr(0, text.find_first_of("\r\n")));
        question.multipleChoice = query.FieldByName("题型").AsString() == "多选题";
        const std::string options = query.FieldByName("候选项").AsString();
        question.optionCount = static_cast<int>(std::count(options.begin(), options.end(), '\n'));
        if (question.optionCount == 0) question.optionCount = 6;
        question.answer = query.FieldByName("答案").AsString();
        question.points = query.FieldByName("分数").AsFloat();
        exam.questions.push_back(std::move(question));
    }
    if (exam.questions.empty()) throw std::runtime_error("the sample exam has no questions");
    return exam;
}

// Candidate `seat` gets question `index` right unless (seat + index) is a multiple of
// three, so the papers differ and a mixed-up paper shows in the stored rows.
std::string chosenAnswer(const Question& question, int seat, int index) {
    if ((seat + index) % 3 != 0) return question.answer;
    if (question.multipleChoice) {
        return question.answer.size() > 1 ? question.answer.substr(0, question.answer.size() - 1) : "AB";
    }
    const int right = question.answer.empty() ? 0 : question.answer[0] - 'A';
    return std::string(1, static_cast<char>('A' + (right + 1) % question.optionCount));
}

// The home page's exam cell, as a click on it posts it.
std::string examCell(const std::string& homePage) {
    const std::size_t cell = homePage.find("SubmitClickConfirm('WFGRID1','");
    if (cell == std::string::npos) fail("the home page lists no exam to click");
    return between(homePage, "'WFGRID1','", "'", cell);
}

// ---- one candidate ------------------------------------------------------------------------

struct Timing {
    Step step;
    double ms;
};

struct Paper {
    std::string name;
    std::map<std::string, std::string> answers;  // question id -> letters posted
    double score = 0;
};

class Candidate {
public:
    Candidate(const Endpoint& server, std::string source, const Exam& exam, int seat,
              const HallOptions& options, Clock::time_point deadline)
        : server_(server),
          source_(std::move(source)),
          exam_(exam),
          seat_(seat),
          think_(options.think),
          startBurst_(options.startBurst),
          beforeHandIn_(options.beforeHandIn),
          deadline_(deadline),
          random_(static_cast<std::mt19937::result_type>(seat)) {
        char name[32];
        std::snprintf(name, sizeof name, "考生%04d", seat);
        paper_.name = name;
    }

    // Runs the whole visit; a failed step ends it and is kept in failure().
    void run() {
        try {
            visit();
        } catch (const std::exception& error) {
            failure_ = error.what();
        }
    }

    const std::vector<Timing>& timings() const { return timings_; }
    const std::string& failure() const { return failure_; }
    bool handedIn() const { return handedIn_; }
    const Paper& paper() const { return paper_; }

private:
    void visit() {
        const std::string probe = request(kStart, getRequest(server_, "/"), "");
        const std::string sessionId = between(probe, "/EXEC/0/", "\"");
        if (sessionId.size() != 28) fail("the start page has no session address");

        std::string page = request(
            kSize, postRequest(server_, "/EXEC/0/" + sessionId, "WF_width=1000&WF_height=700"), kHomeTitle);
        page = click(kOpenExam, page, {{"WF_Action", "WFGRID1"}, {"WF_ActionParam", examCell(page)}},
                     kExamTitle);

        const std::size_t count = exam_.questions.size();
        for (std::size_t shown = 0; shown < count; ++shown) {
            const bool last = shown + 1 == count;
            std::map<std::string, std::string> values = answerFields(page);
            values["WF_Action"] = last ? "WFBUTTON4" : "WFBUTTON2";
            if (last) {
                values["WFEDIT1"] = paper_.name;
                beforeHandIn_();
            }
            page = click(last ? kHandIn : kNextQuestion, page, values, last ? kHandedInTitle : kExamTitle);
        }
        handedIn_ = true;
    }

    // The shown question, recognised by its text, answered: the radio group's index or
    // the check boxes' states. Records the letters and the points they earn.
    std::map<std::string, std::string> answerFields(const std::string& page) {
        const std::string memo = between(page, "id=\"WFMEMO1\"", "</textarea>");
        const auto question =
            std::find_if(exam_.questions.begin(), exam_.questions.end(),
                         [&](const Question& q) { return memo.find(q.shownText) != std::string::npos; });
        if (question == exam_.questions.end()) fail("the exam page shows no question of the exam");
        const int index = static_cast<int>(question - exam_.questions.begin());
        if (paper_.answers.count(question->id) != 0) fail("a question came twice");
        const std::string letters = chosenAnswer(*question, seat_, index);
        paper_.answers[question->id] = letters;
        if (letters == question->answer) paper_.score += question->points;

        std::map<std::string, std::string> values;
        if (question->multipleChoice) {
            for (char letter = 'A'; letter <= 'F'; ++letter) {
                values[std::string("X") + letter + "_CHECKBOX"] =
                    letters.find(letter) != std::string::npos ? "on" : "off";
            }
        } else {
            values["WFRADIOGROUP1_INPUT"] = std::to_string(letters[0] - 'A');
        }
        return values;
    }

    std::string click(Step step, const std::string& page, std::map<std::string, std::string> values,
                      const char* expectedTitle) {
        std::string bytes = clickRequest(server_, page, std::move(values));
        if (bytes.empty()) fail(std::string(kStepNames[step]) + ": the page has no SubmitForm");
        return request(step, bytes, expectedTitle);
    }

    // A click waits for the think time first; the first two requests are the browser's
    // own, and in a start burst opening the exam follows them at once.
    void pause(Step step) {
        if (think_.count() == 0 || step == kStart || step == kSize) return;
        if (startBurst_ && step == kOpenExam) return;
        std::uniform_real_distribution<double> spread(0.5, 1.5);
        const auto wait = std::chrono::duration_cast<Clock::duration>(think_ * spread(random_));
        std::this_thread::sleep_until(std::min(Clock::now() + wait, deadline_));
    }

    // One timed request; anything but the expected page, without an alert, fails the visit.
    std::string request(Step step, const std::string& bytes, const char* expectedTitle) {
        pause(step);
        if (Clock::now() > deadline_) fail("the hall's time limit ran out");
        const Clock::time_point start = Clock::now();
        Reply reply = exchange(server_, source_, bytes, kSocketTimeout);
        const double ms = millisecondsSince(start);
        timings_.push_back({step, ms});
        const std::string where = std::string(kStepNames[step]) + ": ";
        const std::string problem = pageProblem(reply, expectedTitle);
        if (!problem.empty()) fail(where + problem);
        if (ms > kSlowRequestMs) fail(where + "took " + std::to_string(static_cast<int>(ms)) + " ms");
        return std::move(reply.body);
    }

    Endpoint server_;
    std::string source_;
    const Exam& exam_;
    int seat_;
    std::chrono::milliseconds think_;
    bool startBurst_;
    std::function<void()> beforeHandIn_;
    Clock::time_point deadline_;
    std::mt19937 random_;
    Paper paper_;
    std::vector<Timing> timings_;
    std::string failure_;
    bool handedIn_ = false;
};

// Compares the stored rows with the papers the candidates handed in; returns the problems.
std::vector<std::string> checkStoredPapers(const std::filesystem::path& file, const Exam& exam,
                                           const std::vector<std::unique_ptr<Candidate>>& candidates) {
    std::vector<std::string> problems;
    std::map<std::string, const Paper*> papers;
    for (const auto& candidate : candidates) papers[candidate->paper().name] = &candidate->paper();

    exam::db::Database db(file);
    exam::db::Query query(db);
    query.SQL().SetText("select 姓名,成绩 from cj where testid=?");
    query.Params({exam.id});
    query.Open();
    const std::size_t expectedResults = candidates.size();
    const std::size_t expectedAnswers = candidates.size() * exam.questions.size();
    if (static_cast<std::size_t>(query.RecordCount()) != expectedResults) {
        problems.push_back("cj holds " + std::to_string(query.RecordCount()) + " rows, not " +
                           std::to_string(expectedResults));
    }
    std::map<std::string, int> seen;
    for (query.First(); !query.Eof(); query.Next()) {
        const std::string name = query.FieldByName("姓名").AsString();
        const auto paper = papers.find(name);
        if (++seen[name] > 1) problems.push_back("two results for " + name);
        if (paper == papers.end()) {
            problems.push_back("a result for nobody's name " + name);
        } else if (std::fabs(query.FieldByName("成绩").AsFloat() - paper->second->score) > 1e-9) {
            problems.push_back("the score of " + name + " is " + query.FieldByName("成绩").AsString());
        }
    }

    query.SQL().SetText("select xm,tmid,zd from dtxb where testid=?");
    query.Params({exam.id});
    query.Open();
    if (static_cast<std::size_t>(query.RecordCount()) != expectedAnswers) {
        problems.push_back("dtxb holds " + std::to_string(query.RecordCount()) + " rows, not " +
                           std::to_string(expectedAnswers));
    }
    for (query.First(); !query.Eof(); query.Next()) {
        const std::string name = query.FieldByName("xm").AsString();
        const auto paper = papers.find(name);
        const auto answer = paper == papers.end()
                                ? std::map<std::string, std::string>::const_iterator{}
                                : paper->second->answers.find(query.FieldByName("tmid").AsString());
        if (paper == papers.end() || answer == paper->second->answers.end() ||
            answer->second != query.FieldByName("zd").AsString()) {
            problems.push_back("an answer row that no candidate gave: " + name + " " +
                               query.FieldByName("tmid").AsString() + " " +
                               query.FieldByName("zd").AsString());
        }
    }
    return problems;
}

void printLatencies(const char* what, const std::vector<double>& times) {
    if (times.empty()) return;
    const Latencies figures = summarize(times);
    std::printf("  %-18s %6zu requests   median %7.1f ms   p95 %7.1f ms   p99 %7.1f ms   max %7.1f ms\n",
                what, figures.count, figures.p50, figures.p95, figures.p99, figures.max);
}

}  // namespace

// ---- the server ---------------------------------------------------------------------------

ExamServer::ExamServer(const std::string& name, std::size_t maxSessions)
    : folder_(name), working_(folder_.path()), database_(folder_.path() / exam::db::kDatabaseFileName) {
    exam::db::InitDatabase(database_, {std::string("bench-password"), true});
    exam::RegisterExamApplication();
    if (const char* autosave = std::getenv("BENCH_AUTOSAVE"); autosave != nullptr && std::string(autosave) == "1") {
        exam::AutosaveSettings settings;
        settings.file = folder_.path() / "autosave.db";
        autosave_ = std::make_unique<exam::Autosave>(settings);
        exam::InstallAutosave(autosave_.get());
    }
    started_ = std::chrono::steady_clock::now();
    web::TWFStandAloneServer::Options options;
    options.port = 0;
    options.bindIP = "127.0.0.1";
    options.programFolder = folder_.path().string() + "/";
    options.maxSessions = maxSessions;
    if (autosave_) options.resumer = std::make_shared<exam::ExamResumer>(*autosave_);
    server_ = std::make_unique<web::TWFStandAloneServer>(options);
    port_ = server_->Port();
}

ExamServer::~ExamServer() {
    server_.reset();
    if (autosave_) {
        exam::InstallAutosave(nullptr);
        const exam::Autosave::Counters counters = autosave_->counters();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        std::printf("  autosave writer: %llu commits (%.0f/s over %.0f s), %llu rows, %.1f rows per commit\n",
                    static_cast<unsigned long long>(counters.commits), counters.commits / seconds, seconds,
                    static_cast<unsigned long long>(counters.rows),
                    counters.commits == 0 ? 0.0 : static_cast<double>(counters.rows) / counters.commits);
    }
    web::RegisterServerController(nullptr);
}

namespace {

std::string step(const Endpoint& server, const std::string& source, Step which, const std::string& bytes,
                 const char* title) {
    Reply reply = exchange(server, source, bytes, kSocketTimeout);
    const std::string problem = pageProblem(reply, title);
    if (!problem.empty()) fail(std::string(kStepNames[which]) + ": " + problem);
    return std::move(reply.body);
}

}  // namespace

std::string openHome(const Endpoint& server, const std::string& source) {
    const std::string sessionId =
        between(step(server, source, kStart, getRequest(server, "/"), ""), "/EXEC/0/", "\"");
    if (sessionId.size() != 28) fail("the start page has no session address");
    return step(server, source, kSize,
                postRequest(server, "/EXEC/0/" + sessionId, "WF_width=1000&WF_height=700"), kHomeTitle);
}

std::string openExam(const Endpoint& server, const std::string& source) {
    const std::string home = openHome(server, source);
    const std::string bytes =
        clickRequest(server, home, {{"WF_Action", "WFGRID1"}, {"WF_ActionParam", examCell(home)}});
    if (bytes.empty()) fail("the home page has no SubmitForm");
    return step(server, source, kOpenExam, bytes, kExamTitle);
}

// ---- the hall -----------------------------------------------------------------------------

HallReport runHall(const ExamServer& server, const HallOptions& options) {
    const Exam exam = readSampleExam(server.database());
    const Clock::time_point deadline = Clock::now() + options.timeLimit;
    std::vector<std::unique_ptr<Candidate>> candidates;
    for (int seat = 1; seat <= options.candidates; ++seat) {
        candidates.push_back(std::make_unique<Candidate>(server.endpoint(), options.address(seat), exam, seat,
                                                         options, deadline));
    }
    // Everyone starts at the same moment, as when the invigilator says "begin".
    std::latch ready(options.candidates + 1);
    std::vector<std::thread> threads;
    for (auto& candidate : candidates) {
        threads.emplace_back([&ready, &candidate] {
            nameThisThread("candidate");
            ready.arrive_and_wait();
            candidate->run();
        });
    }
    ready.arrive_and_wait();
    const Clock::time_point start = Clock::now();
    options.begun();
    for (std::thread& thread : threads) thread.join();
    options.ended();

    HallReport report;
    report.wallMs = millisecondsSince(start);
    report.candidates = options.candidates;
    for (const auto& candidate : candidates) {
        for (const Timing& timing : candidate->timings()) {
            report.all.push_back(timing.ms);
            report.perStep[timing.step].push_back(timing.ms);
        }
        if (!candidate->failure().empty())
            report.problems.push_back(candidate->paper().name + ": " + candidate->failure());
        report.handedIn += candidate->handedIn() ? 1 : 0;
    }
    std::vector<std::string> stored = checkStoredPapers(server.database(), exam, candidates);
    report.problems.insert(report.problems.end(), stored.begin(), stored.end());
    return report;
}

void printHall(const HallReport& report) {
    std::printf("wall time of the hall: %.0f ms (%zu requests, %.0f requests/s)\n", report.wallMs,
                report.all.size(),
                static_cast<double>(report.all.size()) * 1000.0 / std::max(report.wallMs, 1.0));
    std::printf("request latency:\n");
    for (int step = 0; step < kStepCount; ++step) printLatencies(kStepNames[step], report.perStep[step]);
    printLatencies("all requests", report.all);
    std::printf("papers handed in: %d of %d\n", report.handedIn, report.candidates);
    if (report.problems.empty()) {
        std::printf(
            "checks: every request answered with its page in under %.0f ms, every paper stored: passed\n",
            kSlowRequestMs);
        return;
    }
    std::printf("checks: FAILED, %zu problems\n", report.problems.size());
    for (std::size_t i = 0; i < std::min(report.problems.size(), kProblemsShown); ++i) {
        std::printf("  %s\n", report.problems[i].c_str());
    }
}

}  // namespace bench
