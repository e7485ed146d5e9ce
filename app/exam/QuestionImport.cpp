#include "app/exam/QuestionImport.h"

#include <iconv.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <optional>
#include <stdexcept>

#include "app/PageQueries.h"
#include "app/db/Query.h"
#include "app/db/Transaction.h"
#include "app/exam/WorkbookReader.h"
#include "web/forms/CodePage.h"

namespace exam {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 5> kColumns{"题型", "题目", "候选项", "答案", "分数"};
constexpr std::string_view kOptionLetters = "ABCDEF";

// One record of the file: the line it starts on and its cells.
struct Record {
    std::size_t line = 0;
    std::vector<std::string> cells;
};

struct FileRefusal {
    std::string message;
};

std::string_view trimBlanks(std::string_view text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    // Full-width blanks typed by a Chinese input method count as blanks too.
    while (text.size() >= 3 && text.substr(0, 3) == "\xE3\x80\x80") text.remove_prefix(3);
    while (text.size() >= 3 && text.substr(text.size() - 3) == "\xE3\x80\x80") text.remove_suffix(3);
    return text;
}

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(
        suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
        [](char lower, char c) { return std::tolower(static_cast<unsigned char>(c)) == lower; });
}

// GB18030 to UTF-8; nullopt when the bytes are not GB18030.
std::optional<std::string> fromGb18030(std::string_view bytes) {
    iconv_t converter = iconv_open("UTF-8", "GB18030");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(bytes.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    const std::size_t converted = iconv(converter, &in, &inLeft, &to, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// The CSV's text in UTF-8: a byte-order mark says UTF-8, so does text that reads as
// UTF-8; anything else must read as GB18030.
std::string csvText(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) throw FileRefusal{"文件不是文本格式的CSV文件"};
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        bytes.remove_prefix(kByteOrderMark.size());
        if (web::forms::ToValidUTF8(bytes) != bytes)
            throw FileRefusal{"文件标明为UTF-8编码，但内容不是有效的UTF-8"};
        return std::string(bytes);
    }
    if (web::forms::ToValidUTF8(bytes) == bytes) return std::string(bytes);
    std::optional<std::string> text = fromGb18030(bytes);
    if (!text) throw FileRefusal{"无法识别文件编码：CSV文件须为UTF-8或GB18030（GBK）编码"};
    return *text;
}

// RFC 4180 records; line breaks inside quotes belong to the field. A record's line is the
// line it starts on.
std::vector<Record> parseCsv(const std::string& text) {
    std::vector<Record> records;
    Record record{1, {}};
    std::string field;
    std::size_t line = 1;
    std::size_t at = 0;
    bool quoted = false;
    std::size_t quoteLine = 0;
    const auto endRecord = [&] {
        record.cells.push_back(std::move(field));
        field.clear();
        records.push_back(std::move(record));
        record = Record{line, {}};
    };
    while (at < text.size()) {
        const char c = text[at];
        if (quoted) {
            if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
                field += '"';
                at += 2;
                continue;
            }
            if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            ++at;
            continue;
        }
        if (c == '"' && field.empty()) {
            quoted = true;
            quoteLine = line;
        } else if (c == ',') {
            record.cells.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
            ++line;
            endRecord();
        } else {
            field += c;
        }
        ++at;
    }
    if (quoted) throw FileRefusal{"CSV格式错误：第" + std::to_string(quoteLine) + "行开始的引号没有结束"};
    if (!field.empty() || !record.cells.empty()) endRecord();
    return records;
}

std::vector<Record> workbookRecords(std::string_view bytes) {
    SheetRows rows;
    try {
        rows = ReadWorkbookSheet(bytes, {}, kMaxImportRows + 1);
    } catch (const WorkbookError& error) {
        throw FileRefusal{error.what()};
    }
    std::vector<Record> records;
    for (std::size_t i = 0; i < rows.size(); ++i) records.push_back({i + 1, std::move(rows[i])});
    return records;
}

bool blankRecord(const Record& record) {
    return std::all_of(record.cells.begin(), record.cells.end(),
                       [](const std::string& cell) { return trimBlanks(cell).empty(); });
}

// Where each known heading stands; the option columns A to F under their letters.
struct Layout {
    std::map<std::string, std::size_t, std::less<>> columns;

    std::string cell(const Record& record, std::string_view name) const {
        const auto found = columns.find(name);
        if (found == columns.end() || found->second >= record.cells.size()) return {};
        return record.cells[found->second];
    }
    bool has(std::string_view name) const { return columns.find(name) != columns.end(); }
};

Layout readLayout(const Record& headings) {
    Layout layout;
    for (std::size_t i = 0; i < headings.cells.size(); ++i) {
        std::string name(trimBlanks(headings.cells[i]));
        if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'f')
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
        const bool known = std::find(kColumns.begin(), kColumns.end(), name) != kColumns.end() ||
                           (name.size() == 1 && kOptionLetters.find(name[0]) != std::string_view::npos);
        if (known && !layout.has(name)) layout.columns.emplace(name, i);
    }
    std::string missing;
    for (std::string_view name : {"题型", "题目", "答案", "分数"}) {
        if (!layout.has(name)) missing += (missing.empty() ? "" : "、") + std::string(name);
    }
    if (!missing.empty()) {
        throw FileRefusal{"缺少列：" + missing + "（第" + std::to_string(headings.line) +
                          "行须为列名：题型、题目、候选项、答案、分数）"};
    }
    return layout;
}

// Options typed with their own "A." … prefixes lose them: the editor's rules add them.
std::vector<std::string> withoutOwnPrefixes(std::vector<std::string> lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i >= kOptionLetters.size() || lines[i].empty() || lines[i][0] != kOptionLetters[i]) return lines;
        const std::string_view rest = std::string_view(lines[i]).substr(1);
        if (rest.substr(0, 1) != "." && rest.substr(0, 3) != "\xEF\xBC\x8E" &&
            rest.substr(0, 3) != "\xE3\x80\x81")
            return lines;
    }
    for (std::string& line : lines) {
        const std::size_t cut = line[1] == '.' ? 2 : 4;
        line = std::string(trimBlanks(std::string_view(line).substr(cut)));
    }
    return lines;
}

// The options one per line; nullopt (with the reason set) when a column is skipped.
std::optional<std::string> readOptions(const Layout& layout, const Record& record, std::string& reason) {
    std::vector<std::string> lines;
    const std::string joined(trimBlanks(layout.cell(record, "候选项")));
    if (!joined.empty()) {
        for (const std::string& line : QuestionLines(joined)) {
            if (!trimBlanks(line).empty()) lines.emplace_back(trimBlanks(line));
        }
    } else {
        std::size_t last = 0;
        std::vector<std::string> columns;
        for (char letter : kOptionLetters) {
            columns.emplace_back(trimBlanks(layout.cell(record, std::string(1, letter))));
            if (!columns.back().empty()) last = columns.size();
        }
        columns.resize(last);
        if (std::any_of(columns.begin(), columns.end(), [](const std::string& c) { return c.empty(); })) {
            reason = "候选项A-F须从A列起连续填写";
            return std::nullopt;
        }
        lines = std::move(columns);
    }
    std::string options;
    for (const std::string& line : withoutOwnPrefixes(std::move(lines))) options += line + "\n";
    return options;
}

// The answer in the answer encoding: letters A to F in order, each once; separators and
// lower case as people type them are accepted. nullopt for any other character.
std::optional<std::string> readAnswer(std::string_view typed) {
    std::string letters;
    for (std::size_t at = 0; at < typed.size(); ++at) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(typed[at])));
        if (kOptionLetters.find(c) != std::string_view::npos) {
            if (letters.find(c) == std::string::npos) letters += c;
        } else if (c == ' ' || c == ',' || c == ';' || c == '\t') {
            continue;
        } else if (typed.substr(at, 3) == "\xEF\xBC\x8C" || typed.substr(at, 3) == "\xE3\x80\x81") {
            at += 2;  // "，" and "、"
        } else {
            return std::nullopt;
        }
    }
    std::sort(letters.begin(), letters.end());
    return letters;
}

// The question text as the editor's box gives it: lines joined with CR LF, a CR LF last.
std::string editorText(std::string_view text) {
    std::string joined;
    for (const std::string& line : QuestionLines(trimBlanks(text))) joined += line + "\r\n";
    return joined;
}

std::string checkRecord(const Layout& layout, const Record& record, QuestionRow& row) {
    const std::string type(trimBlanks(layout.cell(record, "题型")));
    if (!type.empty() &&
        std::find(kQuestionTypes.begin(), kQuestionTypes.end(), type) == kQuestionTypes.end()) {
        return "题型“" + type + "”无效，应为单选题、多选题或判断题";
    }
    const std::string text = editorText(layout.cell(record, "题目"));
    if (!type.empty() && text.empty()) return "题目不能为空";
    std::string reason;
    std::optional<std::string> options = readOptions(layout, record, reason);
    if (!options) return reason;
    if (type == kQuestionTypes[2] && options->empty()) *options = "对\n错\n";
    const std::optional<std::string> answer = readAnswer(trimBlanks(layout.cell(record, "答案")));
    if (!answer) return "答案只能由字母A-F组成";

    QuestionCheck check =
        checkQuestion({type, text, *options, std::string(layout.cell(record, "分数")), *answer});
    if (!check.refusal.empty()) return check.refusal;
    if (type != kQuestionTypes[1] && answer->size() > 1) return type + "只能有一个正确答案";
    row = std::move(check.row);
    return {};
}

std::vector<Record> fileRecords(std::string_view fileName, std::string_view content) {
    const bool workbook = endsWithNoCase(fileName, ".xlsx");
    if (!workbook && !endsWithNoCase(fileName, ".csv")) throw FileRefusal{"只能导入.xlsx或.csv文件"};
    if (content.empty()) throw FileRefusal{"文件是空的"};
    if (content.size() > kMaxImportBytes) throw FileRefusal{"文件超过5 MiB，请分批导入"};
    return workbook ? workbookRecords(content) : parseCsv(csvText(content));
}

}  // namespace

ImportCheck CheckQuestionFile(std::string_view fileName, std::string_view content) {
    ImportCheck result;
    try {
        const std::vector<Record> records = fileRecords(fileName, content);
        const auto headings = std::find_if_not(records.begin(), records.end(), blankRecord);
        if (headings == records.end()) throw FileRefusal{"文件中没有试题"};
        const Layout layout = readLayout(*headings);
        std::size_t rows = 0;
        for (auto record = headings + 1; record != records.end(); ++record) {
            if (blankRecord(*record)) continue;
            if (++rows > kMaxImportRows) throw FileRefusal{"试题超过5000行，请分批导入"};
            QuestionRow row;
            std::string reason = checkRecord(layout, *record, row);
            if (!reason.empty()) {
                result.problems.push_back({record->line, std::move(reason)});
            } else {
                result.questions.push_back(std::move(row));
            }
        }
        if (rows == 0) throw FileRefusal{"文件中没有试题"};
    } catch (const FileRefusal& refusal) {
        result = ImportCheck{refusal.message, {}, {}};
    }
    if (!result.passed()) result.questions.clear();
    return result;
}

std::vector<std::string> ImportReport(const ImportCheck& check) {
    if (!check.fileError.empty()) return {check.fileError};
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < check.problems.size() && i < kListedImportProblems; ++i) {
        lines.push_back("第" + std::to_string(check.problems[i].line) + "行：" + check.problems[i].reason);
    }
    if (check.problems.size() > kListedImportProblems) {
        lines.push_back("……另有" + std::to_string(check.problems.size() - kListedImportProblems) +
                        "行有错误");
    }
    return lines;
}

void StoreQuestions(db::Database& db, const db::Value& exam, const std::vector<QuestionRow>& questions) {
    db::Transaction transaction(db);
    db::Query query(db);
    for (const QuestionRow& row : questions) {
        ExecuteStatement(query, "INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (?,?,?,?,?,?)",
                         {exam, row.type, row.text, row.options, row.answer, row.points});
    }
    transaction.Commit();
}

namespace {

struct TemplateRow {
    const char* type;
    const char* text;
    const char* options;
    const char* answer;
    // Whole points, as the CSV writes them.
    double points;
};

constexpr std::array<TemplateRow, 2> kTemplateRows{{
    {"单选题", "我国的首都是哪座城市？", "北京\n上海\n广州\n深圳", "A", 1},
    {"多选题", "下列数中哪些是偶数？", "2\n3\n4\n5", "AC", 2},
}};

}  // namespace

std::string QuestionTemplateCsv() {
    std::string csv(kByteOrderMark);
    csv += "题型,题目,候选项,答案,分数\r\n";
    for (const TemplateRow& row : kTemplateRows) {
        csv += std::string(row.type) + "," + row.text + ",\"" + row.options + "\"," + row.answer + "," +
               std::to_string(static_cast<int>(row.points)) + "\r\n";
    }
    return csv;
}

void WriteQuestionTemplateWorkbook(const std::string& path) {
    lxw_workbook* workbook = workbook_new(path.c_str());
    if (workbook == nullptr) throw std::runtime_error("The workbook cannot be created: " + path);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "试题");
    lxw_format* heading = workbook_add_format(workbook);
    format_set_bold(heading);
    lxw_format* wrapped = workbook_add_format(workbook);
    format_set_text_wrap(wrapped);
    worksheet_set_column(sheet, 1, 2, 30, nullptr);
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(column),
                               std::string(kColumns[column]).c_str(), heading);
    }
    lxw_row_t line = 1;
    for (const TemplateRow& row : kTemplateRows) {
        worksheet_write_string(sheet, line, 0, row.type, nullptr);
        worksheet_write_string(sheet, line, 1, row.text, wrapped);
        worksheet_write_string(sheet, line, 2, row.options, wrapped);
        worksheet_write_string(sheet, line, 3, row.answer, nullptr);
        worksheet_write_number(sheet, line, 4, row.points, nullptr);
        ++line;
    }
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR)
        throw std::runtime_error(std::string("The workbook cannot be written: ") + lxw_strerror(error));
}

}  // namespace exam
