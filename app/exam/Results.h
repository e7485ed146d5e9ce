#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace exam::db {
class Database;
}

namespace exam {

// A number with exactly two decimals and a full stop, as averages and rates are shown.
// Halves round away from zero as the decimal reading suggests (2.675 gives 2.68, though
// its binary value lies just below); a result of zero carries no sign.
std::string fixedTwo(double value);

// The mark beside the time of a paper the server handed in because its time ran out.
inline constexpr std::string_view kAutomaticHandInMark = "（自动交卷）";
// The submission time as the results show it: with the mark for an automatic hand-in.
std::string SubmittedText(const std::string& time, bool automatic);

// The statistics of the results shown: how many, their sum and their mean.
struct ResultSummary {
    std::size_t count = 0;
    double total = 0;
    // 0 when there are no results.
    double average = 0;
};

ResultSummary summarize(const std::vector<double>& scores);

// "参考人数：3   总成绩：270   平均分：90.00": the total in its general form, the average
// with two decimals.
std::string summaryText(const ResultSummary& summary);

// The share of the answers that equal the correct answer, in percent with two decimals
// ("66.67" for two of three); "0.00" when there are no answers.
std::string correctRate(std::string_view correctAnswer, const std::vector<std::string>& answers);

// An exam's stored answers, read with one statement and looked up per question and name:
// one statement per look-up made a matrix of 500 candidates and 100 questions take
// seconds. For each question and name the first stored answer counts; names compare as
// the database compares them, Latin letters regardless of case, so a name with papers
// under two tags finds the same answer for both.
class StoredAnswers final {
public:
    // Every answer row of the exam, in storing order.
    static StoredAnswers read(db::Database& db, std::int64_t examId);

    void add(std::int64_t question, std::string_view name, std::string answer);
    // Empty when the candidate has no answer to the question.
    std::string find(std::int64_t question, std::string_view name) const;

private:
    static std::string foldLatinCase(std::string_view text);

    std::unordered_map<std::int64_t, std::unordered_map<std::string, std::string>> byQuestion_;
};

}  // namespace exam
