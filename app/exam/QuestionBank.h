#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/db/Value.h"

namespace exam::db {
class Database;
}

namespace exam {

inline constexpr std::array<std::string_view, 3> kQuestionTypes{"单选题", "多选题", "判断题"};

// The refusals of the question editor, as it shows them.
inline constexpr std::string_view kTypeNotChosen = "题型未选择！请检查！！！";
inline constexpr std::string_view kPointsNotANumber = "题目分值必须为数字！！！";
inline constexpr std::string_view kAnswerNotChosen = "正确答案未选择！请检查！！！";
inline constexpr std::string_view kTooManyOptions = "备选项最多只能有6项（A-F）！请检查！！！";
inline constexpr std::string_view kQuestionGone = "该题目已不存在，可能已被删除！";

// The refusal of an answer letter past the options given, e.g. "答案D超出候选项范围（共3项）".
std::string AnswerOutOfRange(char letter, std::size_t optionCount);

// A question as the editor's panel holds it, before the rules are applied.
struct QuestionDraft {
    // One of kQuestionTypes; empty when no type is chosen.
    std::string type;
    // Stored as given.
    std::string text;
    // One option per line, as typed: blanks and blank lines around them do not count.
    std::string options;
    // As typed; blanks and control characters around it do not count.
    std::string points;
    // The correct answer in the answer encoding; empty when none is chosen.
    std::string answer;
};

// A question as its tm row keeps it.
struct QuestionRow {
    std::string type;
    std::string text;
    // "A." + option 1, "B." + option 2, … each line ended by CR LF; empty without options.
    std::string options;
    std::string answer;
    double points = 0;
};

// The outcome of the editor's rules: the row to store, or the text the editor shows.
struct QuestionCheck {
    // Empty when the question passes.
    std::string refusal;
    QuestionRow row;
};

// Checks in the editor's order: type, points, correct answer, at most six options, and
// every answer letter among the options given (without options, the six generic ones).
QuestionCheck checkQuestion(const QuestionDraft& draft);

// The lines of a question text or its options as stored: breaks are CR LF, LF or CR; a
// final break ends the last line without starting another.
std::vector<std::string> QuestionLines(std::string_view text);

// An exam's questions as the editor changes them.
class QuestionBank final {
public:
    explicit QuestionBank(db::Database& db) : db_(db) {}

    // Stores the question under `exam` when it passes the rules; returns the refusal text
    // otherwise (nothing is written then), empty after storing.
    std::string add(const db::Value& exam, const QuestionDraft& draft);
    // Rewrites the question `questionId` of `exam` in place (its id, and so its place in
    // the list, stay) when the draft passes the same rules as `add`; returns the refusal,
    // or kQuestionGone when there is no such question of that exam. Answers already
    // stored for it are kept.
    std::string update(std::int64_t questionId, const db::Value& exam, const QuestionDraft& draft);
    // Deletes the question with its stored answers, both or neither. Results already
    // stored keep their scores.
    void remove(std::int64_t questionId);

private:
    db::Database& db_;
};

}  // namespace exam
