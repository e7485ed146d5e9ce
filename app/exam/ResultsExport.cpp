#include "app/exam/ResultsExport.h"

#include <xlsxwriter.h>

#include <array>
#include <charconv>
#include <memory>
#include <stdexcept>

#include "app/PageQueries.h"
#include "app/db/Query.h"
#include "app/exam/Results.h"

namespace exam {
namespace {

constexpr std::array<std::string_view, 5> kListHeadings{"姓名", "成绩", "考试标识", "IP", "提交时间"};
// The workbook's list has one more column: "是" for a paper handed in when its time ran out.
constexpr std::string_view kAutomaticHeading = "自动交卷";
constexpr std::array<std::string_view, 3> kMatrixHeadings{"姓名", "考试标识", "成绩"};
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The page's colour for a wrong answer, and a pale green for a right one.
constexpr lxw_color_t kWrongFill = 0xFEA97F;
constexpr lxw_color_t kRightFill = 0xE2F0D9;

std::vector<ExportedResult> readResults(db::Database& db, std::int64_t examId, const ResultsFilter& filter) {
    db::Query query(db);
    switch (filter.kind) {
        case ResultsFilter::Kind::All:
            OpenStatement(query, "select * from cj where testid=?  ORDER BY 成绩  DESC", {examId});
            break;
        case ResultsFilter::Kind::Untagged:
            OpenStatement(query, "select * from cj where testid=? and 考试标识 is null  ORDER BY 成绩  DESC",
                          {examId});
            break;
        case ResultsFilter::Kind::Tagged:
            OpenStatement(query, "select * from cj where testid=? and 考试标识=?  ORDER BY 成绩  DESC",
                          {examId, filter.tag});
            break;
    }
    std::vector<ExportedResult> results;
    for (query.First(); !query.Eof(); query.Next()) {
        results.push_back({query.FieldByName("姓名").AsString(), query.FieldByName("成绩").AsFloat(),
                           query.FieldByName("考试标识").AsString(), query.FieldByName("ip").AsString(),
                           query.FieldByName("提交时间").AsString(),
                           query.FieldByName("自动交卷").AsInteger() != 0});
    }
    return results;
}

std::string csvField(std::string_view text) {
    std::string field = SpreadsheetText(text);
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// The shortest text that reads back as the score (270, 1.5).
std::string scoreText(double score) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", score);
    return text;
}

// A workbook being written; freed unwritten when an error leaves it open.
struct WorkbookCloser {
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
};

class Workbook {
public:
    explicit Workbook(const std::string& path) : workbook_(workbook_new(path.c_str())) {
        if (!workbook_) throw std::runtime_error("The workbook cannot be created: " + path);
        heading_ = workbook_add_format(workbook_.get());
        format_set_bold(heading_);
        wrong_ = workbook_add_format(workbook_.get());
        format_set_bg_color(wrong_, kWrongFill);
        right_ = workbook_add_format(workbook_.get());
        format_set_bg_color(right_, kRightFill);
        rate_ = workbook_add_format(workbook_.get());
        format_set_num_format(rate_, "0.00");
    }

    lxw_worksheet* addSheet(const char* name) {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook_.get(), name);
        if (sheet == nullptr) throw std::runtime_error(std::string("The sheet cannot be added: ") + name);
        return sheet;
    }
    // Always a string cell: the library never reads a text as a formula this way.
    void text(lxw_worksheet* sheet, std::size_t row, std::size_t column, std::string_view value,
              lxw_format* format = nullptr) {
        check(worksheet_write_string(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                                     std::string(value).c_str(), format));
    }
    void number(lxw_worksheet* sheet, std::size_t row, std::size_t column, double value,
                lxw_format* format = nullptr) {
        check(worksheet_write_number(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                                     value, format));
    }
    void close() {
        const lxw_error error = workbook_close(workbook_.release());
        if (error != LXW_NO_ERROR)
            throw std::runtime_error(std::string("The workbook cannot be written: ") + lxw_strerror(error));
    }

    lxw_format* heading_ = nullptr;
    lxw_format* wrong_ = nullptr;
    lxw_format* right_ = nullptr;
    lxw_format* rate_ = nullptr;

private:
    static void check(lxw_error error) {
        if (error != LXW_NO_ERROR)
            throw std::runtime_error(std::string("A cell cannot be written: ") + lxw_strerror(error));
    }

    std::unique_ptr<lxw_workbook, WorkbookCloser> workbook_;
};

void writeList(Workbook& book, const ResultsTable& table) {
    lxw_worksheet* sheet = book.addSheet("成绩");
    worksheet_set_column(sheet, 0, 0, 16, nullptr);
    worksheet_set_column(sheet, 2, 4, 20, nullptr);
    for (std::size_t column = 0; column < kListHeadings.size(); ++column) {
        book.text(sheet, 0, column, kListHeadings[column], book.heading_);
    }
    book.text(sheet, 0, kListHeadings.size(), kAutomaticHeading, book.heading_);
    std::vector<double> scores;
    for (std::size_t i = 0; i < table.results.size(); ++i) {
        const ExportedResult& result = table.results[i];
        book.text(sheet, i + 1, 0, result.name);
        book.number(sheet, i + 1, 1, result.score);
        book.text(sheet, i + 1, 2, result.tag);
        book.text(sheet, i + 1, 3, result.ip);
        book.text(sheet, i + 1, 4, result.submitted);
        if (result.automatic) book.text(sheet, i + 1, 5, "是");
        scores.push_back(result.score);
    }
    if (!scores.empty()) book.text(sheet, table.results.size() + 2, 0, summaryText(summarize(scores)));
}

// The rate's text as a number, read the same way whatever the process's locale.
double rateValue(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

void writeMatrix(Workbook& book, const ResultsTable& table) {
    lxw_worksheet* sheet = book.addSheet("答题矩阵");
    worksheet_set_column(sheet, 0, 0, 16, nullptr);
    for (std::size_t column = 0; column < kMatrixHeadings.size(); ++column) {
        book.text(sheet, 0, column, kMatrixHeadings[column], book.heading_);
    }
    const std::size_t first = kMatrixHeadings.size();
    for (std::size_t q = 0; q < table.questions.size(); ++q) {
        book.text(sheet, 0, first + q, table.questions[q].id, book.heading_);
    }
    if (table.results.empty()) return;
    book.text(sheet, 1, 0, "标准答案", book.heading_);
    for (std::size_t q = 0; q < table.questions.size(); ++q) {
        book.text(sheet, 1, first + q, table.questions[q].correctAnswer, book.heading_);
    }
    for (std::size_t i = 0; i < table.results.size(); ++i) {
        const ExportedResult& result = table.results[i];
        book.text(sheet, i + 2, 0, result.name);
        book.text(sheet, i + 2, 1, result.tag);
        book.number(sheet, i + 2, 2, result.score);
        for (std::size_t q = 0; q < table.questions.size(); ++q) {
            const ExportedQuestion& question = table.questions[q];
            const std::string& answer = question.answers[i];
            book.text(sheet, i + 2, first + q, answer,
                      answer == question.correctAnswer ? book.right_ : book.wrong_);
        }
    }
    const std::size_t rateRow = table.results.size() + 2;
    book.text(sheet, rateRow, 0, "正确率[%]", book.heading_);
    for (std::size_t q = 0; q < table.questions.size(); ++q) {
        const ExportedQuestion& question = table.questions[q];
        book.number(sheet, rateRow, first + q,
                    rateValue(correctRate(question.correctAnswer, question.answers)), book.rate_);
    }
}

}  // namespace

ResultsTable ReadResultsTable(db::Database& db, std::int64_t examId, const ResultsFilter& filter) {
    ResultsTable table;
    db::Query query(db);
    OpenStatement(query, "select 考试名称 from test where id=?", {examId});
    if (!query.Eof()) table.examName = query.FieldByName("考试名称").AsString();
    table.results = readResults(db, examId, filter);

    const StoredAnswers stored = StoredAnswers::read(db, examId);
    OpenStatement(query, "select id,题目,候选项,答案 from tm where testid=?", {examId});
    for (query.First(); !query.Eof(); query.Next()) {
        ExportedQuestion question{
            query.FieldByName("id").AsString(), query.FieldByName("答案").AsString(), {}};
        const std::int64_t key = query.FieldByName("id").AsInteger();
        for (const ExportedResult& result : table.results)
            question.answers.push_back(stored.find(key, result.name));
        table.questions.push_back(std::move(question));
    }
    return table;
}

std::string ResultsCsv(const ResultsTable& table) {
    std::string csv(kByteOrderMark);
    for (std::size_t column = 0; column < kListHeadings.size(); ++column) {
        csv += (column > 0 ? "," : "") + std::string(kListHeadings[column]);
    }
    csv += "\r\n";
    for (const ExportedResult& result : table.results) {
        csv += csvField(result.name) + "," + scoreText(result.score) + "," + csvField(result.tag) + "," +
               csvField(result.ip) + "," + csvField(result.submitted) + "\r\n";
    }
    return csv;
}

void WriteResultsWorkbook(const ResultsTable& table, const std::string& path) {
    Workbook book(path);
    writeList(book, table);
    writeMatrix(book, table);
    book.close();
}

std::string SpreadsheetText(std::string_view text) {
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        return "'" + std::string(text);
    }
    return std::string(text);
}

std::string ExportFileName(std::string_view examName, std::string_view date, std::string_view extension) {
    std::string name;
    for (char c : examName) {
        const auto byte = static_cast<unsigned char>(c);
        name +=
            (byte < 0x20 || byte == 0x7f || std::string_view("/\\\"*?:<>|").find(c) != std::string_view::npos)
                ? '_'
                : c;
    }
    if (name.find_first_not_of(" ._") == std::string::npos) name = "考试";
    return name + "-成绩-" + std::string(date) + "." + std::string(extension);
}

}  // namespace exam
