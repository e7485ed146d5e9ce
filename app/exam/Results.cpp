#include "app/exam/Results.h"

#include <array>
#include <charconv>

#include "app/PageQueries.h"
#include "app/db/Query.h"
#include "app/db/Value.h"
#include "app/exam/HandIn.h"

namespace exam {

std::string SubmittedText(const std::string& time, bool automatic) {
    return automatic ? time + std::string(kAutomaticHandInMark) : time;
}

// The value is first written with 15 decimals, so a binary neighbour of a half rounds as
// its decimal reading; then the third decimal decides and a carry runs leftwards.
std::string fixedTwo(double value) {
    std::array<char, 400> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 15);
    std::string text(buffer.data(), result.ptr);
    const std::size_t point = text.find('.');
    if (point == std::string::npos) return text;  // not finite
    const bool roundUp = text[point + 3] >= '5';
    text.resize(point + 3);
    if (roundUp) {
        std::size_t at = text.size();
        bool carry = true;
        while (carry && at > 0) {
            char& digit = text[--at];
            if (digit == '.') continue;
            if (digit == '-') {
                ++at;
                break;
            }
            carry = digit == '9';
            digit = carry ? '0' : static_cast<char>(digit + 1);
        }
        if (carry) text.insert(at, "1");
    }
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

ResultSummary summarize(const std::vector<double>& scores) {
    ResultSummary summary;
    summary.count = scores.size();
    for (const double score : scores) summary.total += score;
    if (summary.count > 0) summary.average = summary.total / static_cast<double>(summary.count);
    return summary;
}

std::string summaryText(const ResultSummary& summary) {
    return "参考人数：" + std::to_string(summary.count) + "   总成绩：" + db::formatNumber(summary.total) +
           "   平均分：" + fixedTwo(summary.average);
}

std::string correctRate(std::string_view correctAnswer, const std::vector<std::string>& answers) {
    if (answers.empty()) return fixedTwo(0);
    int correct = 0;
    for (const std::string& answer : answers) {
        if (answerScores(answer, correctAnswer)) ++correct;
    }
    return fixedTwo(correct * 100.0 / static_cast<double>(answers.size()));
}

StoredAnswers StoredAnswers::read(db::Database& db, std::int64_t examId) {
    db::Query query(db);
    // In storing order: the first row of a question and name is the one a look-up by
    // exam, question and name would find first.
    OpenStatement(query, "select tmid,xm,zd from dtxb where testid=? ORDER BY rowid", {examId});
    StoredAnswers answers;
    for (query.First(); !query.Eof(); query.Next()) {
        answers.add(query.Fields(0).AsInteger(), query.Fields(1).AsString(), query.Fields(2).AsString());
    }
    return answers;
}

void StoredAnswers::add(std::int64_t question, std::string_view name, std::string answer) {
    byQuestion_[question].try_emplace(foldLatinCase(name), std::move(answer));
}

std::string StoredAnswers::find(std::int64_t question, std::string_view name) const {
    const auto answers = byQuestion_.find(question);
    if (answers == byQuestion_.end()) return {};
    const auto answer = answers->second.find(foldLatinCase(name));
    return answer == answers->second.end() ? std::string() : answer->second;
}

std::string StoredAnswers::foldLatinCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

}  // namespace exam
