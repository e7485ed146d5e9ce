#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace exam::db {
class Database;
}

namespace exam {

// One question of a paper: its id and the candidate's answer in the answer encoding
// (option letters A to F in that order, empty when unanswered).
struct PaperAnswer {
    std::string questionId;
    std::string answer;
};

// A paper as the exam page hands it in. The ids are kept as the page holds them.
struct Paper {
    std::string examId;
    // Already trimmed; the page refuses an empty name before handing in.
    std::string name;
    std::string clientAddress;
    // In display order.
    std::vector<PaperAnswer> answers;
    // Handed in by the server because the exam's time ran out.
    bool automatic = false;
};

enum class HandInOutcome { Stored, DuplicateName };

struct HandInResult {
    HandInOutcome outcome = HandInOutcome::Stored;
    // The score as stored; 0 when nothing was stored.
    double score = 0;
};

// Scores a paper and stores it: one answer row per question and one result row, after a
// check that no paper of the same exam, name and exam tag exists. Papers handed in at the
// same time are committed together by the file's GroupCommitter, each under its own
// savepoint with its check, so two hand-ins under one name and tag cannot both pass the
// check, and a hand-in that fails on the way leaves no rows behind (the error propagates)
// while the others of its group are stored. submit returns once the paper is durable.
class HandIn final {
public:
    explicit HandIn(db::Database& db) : db_(db) {}

    HandInResult submit(const Paper& paper);

    // The statements of one hand-in, run on `db` inside an open transaction.
    static HandInResult store(db::Database& db, const Paper& paper);

private:
    db::Database& db_;
};

// The name an automatic hand-in stores the paper under, for the given try (from 0): the
// typed name, or "未填写姓名-" + the client address when none was typed; since nobody can
// be asked for another name, a later try adds "-2", "-3", … until one is free.
std::string AutomaticName(const std::string& trimmedName, const std::string& clientAddress, int attempt);
// How many names an automatic hand-in tries before it gives up.
inline constexpr int kAutomaticNameAttempts = 20;

// Every question is all or nothing: the answer must equal the stored correct answer
// exactly (case-sensitive, no trimming), so letters in another order never match.
bool answerScores(std::string_view answer, std::string_view correctAnswer);

// The score in the form the result row keeps: its general decimal form (at most 15
// significant digits) read back, so 0.1 + 0.2 is stored as 0.3.
double storedScore(double sum);

}  // namespace exam
