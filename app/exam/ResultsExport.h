#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace exam::db {
class Database;
}

namespace exam {

// Which results an export holds: those the results page shows for its tag filter.
struct ResultsFilter {
    enum class Kind { All, Untagged, Tagged };
    Kind kind = Kind::All;
    // The tag, for Kind::Tagged.
    std::string tag;
};

// One handed-in paper, with the texts the database gives.
struct ExportedResult {
    std::string name;
    double score = 0;
    std::string tag;
    std::string ip;
    std::string submitted;
    // Handed in by the server when the time ran out.
    bool automatic = false;
};

// One question of the exam with every exported candidate's answer, in result order.
struct ExportedQuestion {
    std::string id;
    std::string correctAnswer;
    std::vector<std::string> answers;
};

// What the exports of one exam hold: the results ordered as the page orders them (best
// first) and the questions in the page's order.
struct ResultsTable {
    std::string examName;
    std::vector<ExportedResult> results;
    std::vector<ExportedQuestion> questions;
};

ResultsTable ReadResultsTable(db::Database& db, std::int64_t examId, const ResultsFilter& filter);

// The list as CSV for spreadsheet programs: UTF-8 with a byte-order mark, CR LF line ends,
// the headings 姓名,成绩,考试标识,IP,提交时间 and one line per result; fields are quoted
// when they hold a comma, a quote or a line break, quotes doubled (RFC 4180).
std::string ResultsCsv(const ResultsTable& table);

// Writes the workbook `path`: the sheet "成绩" with the list and the statistics line, and
// the sheet "答题矩阵" with the candidates' answers (wrong ones shaded as on the page),
// the correct answers and the per-question rate of right answers in the last row. An exam
// without results gives the headings only. Raises std::runtime_error when it cannot be
// written.
void WriteResultsWorkbook(const ResultsTable& table, const std::string& path);

// A text cell that a spreadsheet program would take for a formula ("=", "+", "-", "@",
// or a tab or carriage return first) gets a leading apostrophe, so it shows as the text.
std::string SpreadsheetText(std::string_view text);

// "<exam name>-成绩-<date>.<extension>": characters that cannot stand in a file name
// (path separators, control characters, quotes) become "_"; an empty name becomes "考试".
std::string ExportFileName(std::string_view examName, std::string_view date, std::string_view extension);

}  // namespace exam
