#include "app/exam/AnswerSheet.h"

#include <algorithm>
#include <charconv>

#include "app/exam/ExamClock.h"

namespace exam {
namespace {

constexpr std::string_view kLetters = "ABCDEF";
constexpr std::string_view kHeader = "answersheet 1";

// Text values keep their line breaks and percent signs as %0A, %0D and %25, so that one
// value is always one line.
std::string escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '%') {
            out += "%25";
        } else if (c == '\n') {
            out += "%0A";
        } else if (c == '\r') {
            out += "%0D";
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const std::string_view code = text.substr(i + 1, 2);
        if (code == "25") {
            out += '%';
        } else if (code == "0A") {
            out += '\n';
        } else if (code == "0D") {
            out += '\r';
        } else {
            return std::nullopt;
        }
        i += 2;
    }
    return out;
}

bool isDecimal(std::string_view text) {
    return !text.empty() && text.size() <= 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Letters of A to F, each at most once, in alphabetical order: every answer the page makes.
bool isAnswer(std::string_view text) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t at = kLetters.find(text[i]);
        if (at == std::string_view::npos || (i > 0 && at <= last)) return false;
        last = at;
    }
    return true;
}

std::optional<int> integer(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::int64_t> seconds(std::string_view text) {
    std::int64_t value = 0;
    if (!isDecimal(text)) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> flag(std::string_view text) {
    if (text == "0") return false;
    if (text == "1") return true;
    return std::nullopt;
}

}  // namespace

AnswerKind AnswerKindOf(std::string_view questionType) {
    return questionType == "多选题" ? AnswerKind::Letters : AnswerKind::OneLetter;
}

AnswerSheet::AnswerSheet(std::string examId, std::string examTag, std::vector<std::string> questionIds)
    : examId_(std::move(examId)),
      examTag_(std::move(examTag)),
      questionIds_(std::move(questionIds)),
      answers_(questionIds_.size()),
      current_(questionIds_.empty() ? -1 : 0) {}

const std::string& AnswerSheet::currentQuestionId() const {
    return questionIds_.at(static_cast<std::size_t>(current_));
}

const std::string& AnswerSheet::currentAnswer() const {
    return answers_.at(static_cast<std::size_t>(current_));
}

int AnswerSheet::answeredCount() const {
    return static_cast<int>(
        std::count_if(answers_.begin(), answers_.end(), [](const auto& a) { return !a.empty(); }));
}

bool AnswerSheet::recordChoice(int optionIndex) {
    if (!onQuestion()) return false;
    std::string answer;
    if (optionIndex >= 0 && optionIndex < kAnswerLetters)
        answer = kLetters[static_cast<std::size_t>(optionIndex)];
    return recordAnswer(std::move(answer));
}

bool AnswerSheet::recordChecked(const std::vector<bool>& checked) {
    if (!onQuestion()) return false;
    std::string answer;
    for (std::size_t k = 0; k < checked.size() && k < kLetters.size(); ++k) {
        if (checked[k]) answer += kLetters[k];
    }
    return recordAnswer(std::move(answer));
}

bool AnswerSheet::recordAnswer(std::string answer) {
    std::string& recorded = answers_[static_cast<std::size_t>(current_)];
    if (recorded == answer) return false;
    recorded = std::move(answer);
    return true;
}

AnswerSheet::Move AnswerSheet::next() {
    if (current_ >= questionCount() - 1) return Move::AlreadyLast;
    ++current_;
    return Move::Moved;
}

AnswerSheet::Move AnswerSheet::previous() {
    if (current_ <= 0) return Move::AlreadyFirst;
    --current_;
    return Move::Moved;
}

void AnswerSheet::moveTo(int position) {
    if (position >= 0 && position < questionCount()) current_ = position;
}

bool AnswerSheet::closed(std::int64_t now) const {
    return deadline_ && now > *deadline_ + kDeadlineGraceSeconds;
}

std::int64_t AnswerSheet::secondsLeft(std::int64_t now) const {
    if (!deadline_ || now >= *deadline_) return 0;
    return *deadline_ - now;
}

std::vector<int> AnswerSheet::unansweredNumbers() const {
    std::vector<int> numbers;
    for (std::size_t i = 0; i < answers_.size(); ++i) {
        if (answers_[i].empty()) numbers.push_back(static_cast<int>(i) + 1);
    }
    return numbers;
}

std::vector<PaperAnswer> AnswerSheet::paperAnswers() const {
    std::vector<PaperAnswer> paper;
    for (std::size_t i = 0; i < questionIds_.size(); ++i) paper.push_back({questionIds_[i], answers_[i]});
    return paper;
}

std::string AnswerSheet::serialise() const {
    std::string text(kHeader);
    text += "\nexam " + escaped(examId_);
    text += "\ntag " + escaped(examTag_);
    text += "\ncurrent " + std::to_string(current_);
    text += "\nname " + escaped(name_);
    text += std::string("\nconfirmed ") + (nameConfirmed_ ? "1" : "0");
    text += std::string("\nhandingin ") + (handingIn_ ? "1" : "0");
    // Only sheets with a time limit carry the line, so the others read as they always did.
    if (deadline_) text += "\ndeadline " + std::to_string(*deadline_);
    for (std::size_t i = 0; i < questionIds_.size(); ++i)
        text += "\nq " + questionIds_[i] + " " + answers_[i];
    return text;
}

std::optional<AnswerSheet> AnswerSheet::restore(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    // The header and six fixed lines, each a key, one blank and its value.
    constexpr std::string_view kKeys[] = {"exam ", "tag ", "current ", "name ", "confirmed ", "handingin "};
    if (lines.size() < 7 || lines[0] != kHeader) return std::nullopt;
    std::string_view values[6];
    for (std::size_t k = 0; k < 6; ++k) {
        if (!lines[k + 1].starts_with(kKeys[k])) return std::nullopt;
        values[k] = lines[k + 1].substr(kKeys[k].size());
    }
    const auto examId = unescaped(values[0]);
    const auto tag = unescaped(values[1]);
    const auto current = integer(values[2]);
    const auto name = unescaped(values[3]);
    const auto confirmed = flag(values[4]);
    const auto handingIn = flag(values[5]);
    if (!examId || !isDecimal(*examId) || !tag || !current || !name || !confirmed || !handingIn)
        return std::nullopt;

    std::size_t firstQuestion = 7;
    std::optional<std::int64_t> deadline;
    constexpr std::string_view kDeadline = "deadline ";
    if (lines.size() > 7 && lines[7].starts_with(kDeadline)) {
        deadline = seconds(lines[7].substr(kDeadline.size()));
        if (!deadline) return std::nullopt;
        firstQuestion = 8;
    }

    std::vector<std::string> ids;
    std::vector<std::string> answers;
    for (std::size_t i = firstQuestion; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::size_t blank = line.find(' ', 2);
        if (!line.starts_with("q ") || blank == std::string_view::npos) return std::nullopt;
        const std::string_view id = line.substr(2, blank - 2);
        const std::string_view answer = line.substr(blank + 1);
        if (!isDecimal(id) || !isAnswer(answer)) return std::nullopt;
        ids.emplace_back(id);
        answers.emplace_back(answer);
    }
    AnswerSheet sheet(*examId, *tag, std::move(ids));
    const bool currentFits =
        sheet.questionCount() == 0 ? *current == -1 : *current >= 0 && *current < sheet.questionCount();
    if (!currentFits) return std::nullopt;
    sheet.answers_ = std::move(answers);
    sheet.current_ = *current;
    sheet.name_ = *name;
    sheet.nameConfirmed_ = *confirmed;
    sheet.handingIn_ = *handingIn;
    sheet.deadline_ = deadline;
    return sheet;
}

std::string TrimmedName(std::string_view name) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t begin = 0;
    std::size_t end = name.size();
    while (begin < end && blank(name[begin])) ++begin;
    while (end > begin && blank(name[end - 1])) --end;
    return std::string(name.substr(begin, end - begin));
}

}  // namespace exam
