// A full exam hall: the exam application runs in this process on a loopback port, in a
// temporary folder with a fresh database holding the sample exam, and N candidates (one
// thread and plain sockets each) all start at the same moment. Each one opens "/", posts
// the window size, clicks the exam, answers every question (moving on with "下一题"),
// types a name of its own and hands the paper in, the way a browser posts the page's
// SubmitForm. Prints the latency of the requests (median, 95th percentile, maximum) per
// step and overall, and the wall time of the hall; then checks that every request was
// answered with the expected page (no error page, no alert) and that the database holds
// exactly one result row and one answer row per question for every candidate, with the
// answers and scores that candidate gave. Exits with 1 when a check fails.
//
// Without a think time every candidate clicks again as soon as the page is there: the
// server runs flat out and the latencies are mostly waiting for the processor. With one,
// each click waits that long (spread between half and one and a half times) first, which
// is closer to a hall of people reading their questions.
//
//     build/bench/ExamHallBench [candidates] [think time in ms]      (default 200, 0)

#include <arpa/inet.h>
#include <errno.h>
#include <iconv.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <latch>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/BenchSupport.h"
#include "app/TWFServerController.h"
#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Schema.h"
#include "web/forms/CodePage.h"
#include "web/server/transport/Socket.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/TWFSessions.h"
#include "web/server/TWFStandAloneServer.h"

namespace {

using bench::Clock;

constexpr int kDefaultCandidates = 200;
constexpr int kMaxCandidates = 2000;
constexpr int kMaxThinkMs = 10000;
// No single request may take longer; the whole hall gets the time limit below.
constexpr int kSocketTimeoutSeconds = 20;
constexpr std::chrono::seconds kHallTimeLimit{240};
// A request slower than this counts as a failure: a candidate would think the server hung.
constexpr double kSlowRequestMs = 5000.0;
constexpr std::size_t kReplyLimit = 4 * 1024 * 1024;
constexpr std::size_t kFailuresShown = 8;
constexpr const char* kUserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

using bench::millisecondsSince;
using bench::TemporaryFolder;

// The application finds db1.db in the working folder; this one is changed for the run.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

// ---- a small HTTP client ----------------------------------------------------------------

struct Reply {
    int status = 0;  // 0: no complete reply
    std::string body;
    std::string error;  // why there is no reply
};

// One request on a fresh connection (the server closes after each reply), read until the
// server closes. Connecting, sending and every read are bounded by the socket time-out.
Reply exchange(int port, const std::string& request) {
    Reply reply;
    web::Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.fd() < 0) {
        reply.error = "no socket";
        return reply;
    }
    const timeval timeout{kSocketTimeoutSeconds, 0};
    setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);  // also bounds connect
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (::connect(socket.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        reply.error = std::string("connect failed: ") + std::strerror(errno);
        return reply;
    }
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(socket.fd(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            reply.error = "send failed";
            return reply;
        }
        sent += static_cast<std::size_t>(n);
    }
    std::string data;
    char buffer[16384];
    while (data.size() < kReplyLimit) {
        const ssize_t n = ::recv(socket.fd(), buffer, sizeof buffer, 0);
        if (n == 0) break;
        if (n < 0) {
            reply.error = "no reply within " + std::to_string(kSocketTimeoutSeconds) + " s";
            return reply;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t headerEnd = data.find("\r\n\r\n");
    if (data.compare(0, 9, "HTTP/1.1 ") != 0 || headerEnd == std::string::npos) {
        reply.error = "incomplete reply";
        return reply;
    }
    reply.status = std::atoi(data.c_str() + 9);
    reply.body = data.substr(headerEnd + 4);
    return reply;
}

std::string getRequest(int port, const std::string& path) {
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nUser-Agent: " + kUserAgent + "\r\n\r\n";
}

std::string postRequest(int port, const std::string& path, const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nUser-Agent: " + kUserAgent +
           "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string percentEncoded(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

// ---- reading the pages --------------------------------------------------------------------

using Fields = std::vector<std::pair<std::string, std::string>>;

// The text between `open` (searched from `from`) and the next `close`; empty when absent.
std::string between(const std::string& text, const std::string& open, const std::string& close,
                    std::size_t from = 0) {
    const std::size_t start = text.find(open, from);
    if (start == std::string::npos) return "";
    const std::size_t stop = text.find(close, start + open.size());
    if (stop == std::string::npos) return "";
    return text.substr(start + open.size(), stop - start - open.size());
}

// The page's SubmitForm: where it posts and the fields it carries, in order, with the
// values the server rendered into them.
struct SubmitForm {
    std::string action;
    Fields fields;
};

std::optional<SubmitForm> readSubmitForm(const std::string& page) {
    const std::size_t at = page.find("name=\"SubmitForm\"");
    if (at == std::string::npos) return std::nullopt;
    const std::size_t end = page.find("</form>", at);
    SubmitForm form;
    form.action = between(page, "action=\"", "\"", at);
    if (end == std::string::npos || form.action.empty()) return std::nullopt;
    for (std::size_t input = page.find("<input", at); input < end; input = page.find("<input", input + 1)) {
        const std::string tag = page.substr(input, page.find('>', input) - input);
        form.fields.emplace_back(between(tag, "name=\"", "\""), between(tag, "value=\"", "\""));
    }
    return form;
}

// What a browser posts from that form: every field, the given values replacing the
// rendered ones (a field the page does not carry is not added, as in a browser).
std::string formBody(const SubmitForm& form, const std::map<std::string, std::string>& values) {
    std::string body;
    for (const auto& [name, rendered] : form.fields) {
        const auto given = values.find(name);
        if (!body.empty()) body += '&';
        body += percentEncoded(name) + '=' + percentEncoded(given != values.end() ? given->second : rendered);
    }
    return body;
}

// Page text (GB18030) as UTF-8, for messages on the terminal.
std::string pageToUtf8(const std::string& text) {
    iconv_t converter = iconv_open("UTF-8", "GB18030");
    if (converter == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    iconv(converter, &in, &inLeft, &to, &outLeft);
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

// What an error page says, for a message: the runtime's usual complaints by name, else
// the start of the page's text, markup left out and blanks joined.
std::string shownText(const std::string& page) {
    for (const char* known : {"Session is already locked.", "Session not found. Session may have expired."}) {
        if (page.find(known) != std::string::npos) return known;
    }
    constexpr std::size_t kLength = 400;
    const std::size_t written = page.find("writeln(");  // an error page writes itself by script
    std::string text;
    bool inTag = false;
    for (std::size_t i = written == std::string::npos ? 0 : written; i < page.size() && text.size() < kLength;
         ++i) {
        const char c = page[i];
        if (c == '<' || c == '>') {
            inTag = c == '<';
            continue;
        }
        if (inTag) continue;
        const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (blank && (text.empty() || text.back() == ' ')) continue;
        text += blank ? ' ' : c;
    }
    return pageToUtf8(text);
}

std::string pageText(const std::string& utf8) {
    return web::forms::EncodeForCharset(utf8, "gb2312");
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

// ---- one candidate ------------------------------------------------------------------------

enum Step { kStart, kSize, kOpenExam, kNextQuestion, kHandIn, kStepCount };
constexpr const char* kStepNames[kStepCount] = {"open \"/\"", "post window size", "open the exam",
                                                "next question", "hand in"};

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
    Candidate(int port, const Exam& exam, int seat, std::chrono::milliseconds think,
              Clock::time_point deadline)
        : port_(port), exam_(exam), seat_(seat), think_(think), deadline_(deadline), random_(seat) {
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
        const std::string probe = request(kStart, getRequest(port_, "/"), "");
        const std::string sessionId = between(probe, "/EXEC/0/", "\"");
        if (sessionId.size() != 28) fail("the start page has no session address");

        std::string page =
            request(kSize, postRequest(port_, "/EXEC/0/" + sessionId, "WF_width=1000&WF_height=700"),
                    "首页---栎川考试系统");
        const std::size_t cell = page.find("SubmitClickConfirm('WFGRID1','");
        if (cell == std::string::npos) fail("the home page lists no exam to click");
        const std::string examCell = between(page, "'WFGRID1','", "'", cell);
        page = post(kOpenExam, page, {{"WF_Action", "WFGRID1"}, {"WF_ActionParam", examCell}},
                    "考试页面---栎川考试系统");

        const std::size_t count = exam_.questions.size();
        for (std::size_t shown = 0; shown < count; ++shown) {
            const bool last = shown + 1 == count;
            std::map<std::string, std::string> values = answerFields(page);
            values["WF_Action"] = last ? "WFBUTTON4" : "WFBUTTON2";
            if (last) values["WFEDIT1"] = paper_.name;
            page = post(last ? kHandIn : kNextQuestion, page, values,
                        last ? "交卷完成---栎川考试系统" : "考试页面---栎川考试系统");
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

    // Posts the page's SubmitForm as a click would, with the given values.
    std::string post(Step step, const std::string& page, std::map<std::string, std::string> values,
                     const char* expectedTitle) {
        const std::optional<SubmitForm> form = readSubmitForm(page);
        if (!form) fail("the page has no SubmitForm");
        values.emplace("WF_ActionParam", "");
        values["WF_width"] = "1000";
        values["WF_height"] = "700";
        return request(step, postRequest(port_, form->action, formBody(*form, values)), expectedTitle);
    }

    // A click waits for the think time first; the first two requests are the browser's own.
    void pause(Step step) {
        if (think_.count() == 0 || step == kStart || step == kSize) return;
        std::uniform_real_distribution<double> spread(0.5, 1.5);
        const auto wait = std::chrono::duration_cast<Clock::duration>(think_ * spread(random_));
        std::this_thread::sleep_until(std::min(Clock::now() + wait, deadline_));
    }

    // One timed request; anything but the expected page, without an alert, fails the visit.
    std::string request(Step step, const std::string& bytes, const char* expectedTitle) {
        pause(step);
        if (Clock::now() > deadline_) fail("the hall's time limit ran out");
        const Clock::time_point start = Clock::now();
        Reply reply = exchange(port_, bytes);
        const double ms = millisecondsSince(start);
        timings_.push_back({step, ms});
        const std::string where = std::string(kStepNames[step]) + ": ";
        if (reply.status == 0) fail(where + reply.error);
        if (reply.body.find("database is locked") != std::string::npos) fail(where + "database is locked");
        if (reply.status != 200)
            fail(where + "status " + std::to_string(reply.status) + ": " + shownText(reply.body));
        const std::string alert = between(reply.body, "window.alert(\"", "\");");
        if (!alert.empty()) fail(where + "alert \"" + pageToUtf8(alert) + "\"");
        if (*expectedTitle != '\0' &&
            reply.body.find("<title>" + pageText(expectedTitle) + "</title>") == std::string::npos) {
            fail(where + "not the page \"" + expectedTitle + "\" but \"" +
                 pageToUtf8(between(reply.body, "<title>", "</title>")) + "\"");
        }
        if (ms > kSlowRequestMs) fail(where + "took " + std::to_string(static_cast<int>(ms)) + " ms");
        return std::move(reply.body);
    }

    [[noreturn]] static void fail(const std::string& why) { throw std::runtime_error(why); }

    int port_;
    const Exam& exam_;
    int seat_;
    std::chrono::milliseconds think_;
    Clock::time_point deadline_;
    std::mt19937 random_;
    Paper paper_;
    std::vector<Timing> timings_;
    std::string failure_;
    bool handedIn_ = false;
};

// ---- the report ---------------------------------------------------------------------------

void printLatencies(const char* what, std::vector<double> times) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    const auto at = [&](double share) {
        return times[std::min(times.size() - 1,
                              static_cast<std::size_t>(share * static_cast<double>(times.size())))];
    };
    std::printf("  %-18s %6zu requests   median %7.1f ms   p95 %7.1f ms   max %7.1f ms\n", what, times.size(),
                at(0.5), at(0.95), times.back());
}

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
    std::printf("stored: %d cj rows (expected %zu)", query.RecordCount(), expectedResults);
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
    std::printf(", %d dtxb rows (expected %zu)\n", query.RecordCount(), expectedAnswers);
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

// ---- the hall -----------------------------------------------------------------------------

int run(int candidateCount, std::chrono::milliseconds think) {
    TemporaryFolder folder("exam-hall-bench");
    WorkingFolder working(folder.path());
    const std::filesystem::path file = folder.path() / exam::db::kDatabaseFileName;
    exam::db::InitDatabase(file, {std::string("bench-password"), true});
    const Exam exam = readSampleExam(file);

    exam::RegisterExamApplication();
    web::TWFStandAloneServer::Options options;
    options.port = 0;
    options.bindIP = "127.0.0.1";
    options.programFolder = folder.path().string() + "/";
    auto server = std::make_unique<web::TWFStandAloneServer>(options);
    const int port = server->Port();
    std::printf("exam hall: %d candidates, %zu questions each, think time %lld ms, server on 127.0.0.1:%d\n",
                candidateCount, exam.questions.size(), static_cast<long long>(think.count()), port);

    const Clock::time_point deadline = Clock::now() + kHallTimeLimit;
    std::vector<std::unique_ptr<Candidate>> candidates;
    for (int seat = 1; seat <= candidateCount; ++seat) {
        candidates.push_back(std::make_unique<Candidate>(port, exam, seat, think, deadline));
    }
    // Everyone starts at the same moment, as when the invigilator says "begin".
    std::latch ready(candidateCount + 1);
    std::vector<std::thread> threads;
    for (auto& candidate : candidates) {
        threads.emplace_back([&ready, &candidate] {
            ready.arrive_and_wait();
            candidate->run();
        });
    }
    ready.arrive_and_wait();
    const Clock::time_point start = Clock::now();
    for (std::thread& thread : threads) thread.join();
    const double wallMs = millisecondsSince(start);

    server.reset();
    web::Sessions().FreeIdleSessions();
    web::RegisterServerController(nullptr);

    std::vector<double> all;
    std::vector<double> perStep[kStepCount];
    std::vector<std::string> failures;
    int handedIn = 0;
    for (const auto& candidate : candidates) {
        for (const Timing& timing : candidate->timings()) {
            all.push_back(timing.ms);
            perStep[timing.step].push_back(timing.ms);
        }
        if (!candidate->failure().empty())
            failures.push_back(candidate->paper().name + ": " + candidate->failure());
        handedIn += candidate->handedIn() ? 1 : 0;
    }
    std::printf("wall time of the hall: %.0f ms (%zu requests, %.0f requests/s)\n", wallMs, all.size(),
                static_cast<double>(all.size()) * 1000.0 / std::max(wallMs, 1.0));
    std::printf("request latency:\n");
    for (int step = 0; step < kStepCount; ++step) printLatencies(kStepNames[step], perStep[step]);
    printLatencies("all requests", all);
    std::printf("papers handed in: %d of %d\n", handedIn, candidateCount);

    std::vector<std::string> problems = checkStoredPapers(file, exam, candidates);
    problems.insert(problems.begin(), failures.begin(), failures.end());
    if (problems.empty()) {
        std::printf(
            "checks: every request answered with its page in under %.0f ms, every paper stored: passed\n",
            kSlowRequestMs);
        return 0;
    }
    std::printf("checks: FAILED, %zu problems\n", problems.size());
    for (std::size_t i = 0; i < std::min(problems.size(), kFailuresShown); ++i) {
        std::printf("  %s\n", problems[i].c_str());
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int candidates = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, kMaxCandidates) : kDefaultCandidates;
    const std::chrono::milliseconds think(argc > 2 ? std::clamp(std::atoi(argv[2]), 0, kMaxThinkMs) : 0);
    try {
        return run(candidates, think);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 2;
    }
}
