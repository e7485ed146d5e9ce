#include "app/exam/QuestionBank.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <vector>

#include "app/PageQueries.h"
#include "app/db/Query.h"
#include "app/db/Transaction.h"

namespace exam {
namespace {

constexpr std::array<std::string_view, 6> kOptionPrefixes{"A.", "B.", "C.", "D.", "E.", "F."};

// Blanks, line breaks and other control characters at both ends go.
std::string_view trimControls(std::string_view text) {
    const auto control = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && control(text.front())) text.remove_prefix(1);
    while (!text.empty() && control(text.back())) text.remove_suffix(1);
    return text;
}

// Decimal digits with an optional sign, a full stop as decimal separator and an optional
// exponent; a value too large for a double is no number either.
bool readPoints(std::string_view typed, double& points) {
    static const std::regex number(R"([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)");
    const std::string text(trimControls(typed));
    if (!std::regex_match(text, number)) return false;
    points = std::strtod(text.c_str(), nullptr);
    return std::isfinite(points);
}

}  // namespace

std::string AnswerOutOfRange(char letter, std::size_t optionCount) {
    return "答案" + std::string(1, letter) + "超出候选项范围（共" + std::to_string(optionCount) + "项）";
}

std::vector<std::string> QuestionLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, stop - start));
        start = stop + (text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

QuestionCheck checkQuestion(const QuestionDraft& draft) {
    QuestionCheck check;
    if (std::find(kQuestionTypes.begin(), kQuestionTypes.end(), draft.type) == kQuestionTypes.end()) {
        check.refusal = kTypeNotChosen;
        return check;
    }
    if (!readPoints(draft.points, check.row.points)) {
        check.refusal = kPointsNotANumber;
        return check;
    }
    if (draft.answer.empty()) {
        check.refusal = kAnswerNotChosen;
        return check;
    }
    const std::vector<std::string> options = QuestionLines(trimControls(draft.options));
    if (options.size() > kOptionPrefixes.size()) {
        check.refusal = kTooManyOptions;
        return check;
    }
    for (char letter : draft.answer) {
        const std::size_t at = static_cast<std::size_t>(letter - 'A');
        if (!options.empty() && (letter < 'A' || at >= options.size())) {
            check.refusal = AnswerOutOfRange(letter, options.size());
            return check;
        }
    }
    for (std::size_t i = 0; i < options.size(); ++i) {
        check.row.options += std::string(kOptionPrefixes[i]) + options[i] + "\r\n";
    }
    check.row.type = draft.type;
    check.row.text = draft.text;
    check.row.answer = draft.answer;
    return check;
}

std::string QuestionBank::add(const db::Value& exam, const QuestionDraft& draft) {
    QuestionCheck check = checkQuestion(draft);
    if (!check.refusal.empty()) return check.refusal;
    const QuestionRow& row = check.row;
    db::Query query(db_);
    ExecuteStatement(query, "INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (?,?,?,?,?,?)",
                     {exam, row.type, row.text, row.options, row.answer, row.points});
    return {};
}

std::string QuestionBank::update(std::int64_t questionId, const db::Value& exam, const QuestionDraft& draft) {
    QuestionCheck check = checkQuestion(draft);
    if (!check.refusal.empty()) return check.refusal;
    const QuestionRow& row = check.row;
    db::Query query(db_);
    query.SQL().Add("update tm set 题型=?,题目=?,候选项=?,答案=?,分数=? where id=? and testid=?");
    query.Params({row.type, row.text, row.options, row.answer, row.points, questionId, exam});
    if (query.ExecSQL() == 0) return std::string(kQuestionGone);
    return {};
}

void QuestionBank::remove(std::int64_t questionId) {
    db::Query query(db_);
    db::Transaction transaction(db_);
    ExecuteStatement(query, "delete from dtxb where tmid=?", {questionId});
    ExecuteStatement(query, "delete from tm where id=?", {questionId});
    transaction.Commit();
}

}  // namespace exam
