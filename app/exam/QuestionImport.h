#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/db/Value.h"
#include "app/exam/QuestionBank.h"

namespace exam::db {
class Database;
}

namespace exam {

inline constexpr std::size_t kMaxImportBytes = 5 * 1024 * 1024;
inline constexpr std::size_t kMaxImportRows = 5000;
// The page lists this many wrong rows, then how many more there are.
inline constexpr std::size_t kListedImportProblems = 20;

// A row of the file that cannot be imported: its line (the spreadsheet's row number, or
// the CSV line the record starts on) and why.
struct ImportProblem {
    std::size_t line = 0;
    std::string reason;
};

// The outcome of checking a whole file: either a refusal of the file itself, or the wrong
// rows, or, when both are empty, the questions to store, in file order.
struct ImportCheck {
    std::string fileError;
    std::vector<ImportProblem> problems;
    std::vector<QuestionRow> questions;

    bool passed() const { return fileError.empty() && problems.empty(); }
};

// Checks an uploaded file, told apart by its name's extension: ".xlsx" (the first sheet) or
// ".csv" (UTF-8 with or without byte-order mark, or GB18030). The first non-empty row names
// the columns: 题型, 题目, 候选项 (one option per line) or A to F (one option per column),
// 答案 (letters), 分数. Every row follows the question editor's rules; rows left wholly
// empty are skipped.
ImportCheck CheckQuestionFile(std::string_view fileName, std::string_view content);

// What the page shows for a failed check: the file's refusal, or "第N行：reason" for the
// first kListedImportProblems wrong rows and a line counting the rest.
std::vector<std::string> ImportReport(const ImportCheck& check);

// Inserts the questions under `exam` in one transaction: all of them or none.
void StoreQuestions(db::Database& db, const db::Value& exam, const std::vector<QuestionRow>& questions);

// The templates offered for download, each with two example rows.
std::string QuestionTemplateCsv();
// Raises std::runtime_error when the workbook cannot be written.
void WriteQuestionTemplateWorkbook(const std::string& path);

}  // namespace exam
