#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/exam/HandIn.h"

namespace exam {

// How a question takes its answer: one option letter, or for a multiple-choice question
// ("多选题" exactly) any set of letters. Every other type text takes one letter.
enum class AnswerKind { OneLetter, Letters };
AnswerKind AnswerKindOf(std::string_view questionType);

// The most options that can be answered: letters A to F.
constexpr int kAnswerLetters = 6;

// A candidate's work on one exam: the questions in the order shown, the answer given to
// each so far (option letters A to F in that order, empty when unanswered), the question
// shown, and the name typed. The exam page shows it; the autosave keeps a copy of it.
class AnswerSheet final {
public:
    AnswerSheet() = default;
    AnswerSheet(std::string examId, std::string examTag, std::vector<std::string> questionIds);

    const std::string& examId() const { return examId_; }
    const std::string& examTag() const { return examTag_; }
    const std::vector<std::string>& questionIds() const { return questionIds_; }
    const std::vector<std::string>& answers() const { return answers_; }
    int questionCount() const { return static_cast<int>(questionIds_.size()); }
    // The position of the question shown; -1 for a sheet without questions.
    int current() const { return current_; }
    bool onQuestion() const { return current_ >= 0 && current_ < questionCount(); }
    const std::string& currentQuestionId() const;
    const std::string& currentAnswer() const;
    int answeredCount() const;

    // Records the current question's answer from what the page shows: for a one-letter
    // question the chosen option's index (none, or the seventh option or later, give the
    // empty answer); for multiple choice the option boxes shown and checked, in order.
    // Each says whether the answer changed.
    bool recordChoice(int optionIndex);
    bool recordChecked(const std::vector<bool>& checked);

    enum class Move { Moved, AlreadyFirst, AlreadyLast };
    Move next();
    Move previous();
    // A row outside the sheet moves nowhere.
    void moveTo(int position);

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    bool nameConfirmed() const { return nameConfirmed_; }
    void setNameConfirmed(bool confirmed) { nameConfirmed_ = confirmed; }
    // Set while the paper is being handed in, so that a copy that outlives a stored paper
    // is known for one.
    bool handingIn() const { return handingIn_; }
    void setHandingIn(bool handingIn) { handingIn_ = handingIn; }

    // When the exam's time runs out, in ServerNow seconds; none for an exam without a time
    // limit. Fixed when the exam page is made, so neither the browser's clock nor a page
    // opened again can move it.
    const std::optional<std::int64_t>& deadline() const { return deadline_; }
    void setDeadline(std::optional<std::int64_t> deadline) { deadline_ = deadline; }
    // Whether the time has run out at `now`: a hand-in from then on is an automatic one.
    bool timeUp(std::int64_t now) const { return deadline_ && now >= *deadline_; }
    // Whether answers posted at `now` come too late to count: the deadline and its grace
    // (for the page's own automatic hand-in on its way) have passed.
    bool closed(std::int64_t now) const;
    // Seconds left at `now` (never below 0); 0 for a sheet without a deadline.
    std::int64_t secondsLeft(std::int64_t now) const;
    // The numbers (from 1, in display order) of the questions without an answer.
    std::vector<int> unansweredNumbers() const;

    // The paper for the hand-in, in display order.
    std::vector<PaperAnswer> paperAnswers() const;

    // A text that `restore` turns back into the same sheet.
    std::string serialise() const;
    // nullopt for a text that is not a whole, consistent sheet.
    static std::optional<AnswerSheet> restore(std::string_view text);

    bool operator==(const AnswerSheet&) const = default;

private:
    bool recordAnswer(std::string answer);

    std::string examId_;
    std::string examTag_;
    std::vector<std::string> questionIds_;
    std::vector<std::string> answers_;
    int current_ = -1;
    std::string name_;
    bool nameConfirmed_ = false;
    bool handingIn_ = false;
    std::optional<std::int64_t> deadline_;
};

// A typed name as it is handed in: leading and trailing blanks and control characters
// (codes up to 32) removed.
std::string TrimmedName(std::string_view name);

}  // namespace exam
