#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "app/exam/ResultsExport.h"
#include "app/exam/WorkbookReader.h"
#include "tests/app/db/TestDatabase.h"

namespace exam {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One part of the workbook package as stored.
std::string packagePart(const std::filesystem::path& workbook, const char* part) {
    int error = 0;
    zip_t* archive = zip_open(workbook.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) return {};
    std::string content;
    zip_stat_t stat;
    if (zip_stat(archive, part, 0, &stat) == 0) {
        zip_file_t* file = zip_fopen(archive, part, 0);
        content.resize(stat.size);
        zip_fread(file, content.data(), stat.size);
        zip_fclose(file);
    }
    zip_discard(archive);
    return content;
}

// The style number of cell `reference` in the sheet part's XML.
std::string cellStyle(const std::string& sheetXml, const std::string& reference) {
    std::smatch match;
    const std::regex cell("<c r=\"" + reference + "\" s=\"(\\d+)\"");
    return std::regex_search(sheetXml, match, cell) ? match[1].str() : "none";
}

ResultsTable sampleTable() {
    ResultsTable table;
    table.examName = "期末考试";
    table.results = {{"李四", 100, "一班", "10.0.0.2", "2026-12-10 09:01:00"},
                     {"=HYPERLINK(\"x\")", 1.5, "", "10.0.0.3", "2026-12-10 09:02:00", true},
                     {"王, \"五\"", 0, "二班\r\n", "10.0.0.4", "2026-12-10 09:03:00"}};
    table.questions = {{"7", "A", {"A", "B", ""}}, {"9", "AC", {"AC", "AC", "A"}}};
    return table;
}

TEST(ResultsExportTest, CsvIsUtf8WithMarkQuotedFieldsAndNoFormulas) {
    EXPECT_EQ(ResultsCsv(sampleTable()),
              "\xEF\xBB\xBF"
              "姓名,成绩,考试标识,IP,提交时间\r\n"
              "李四,100,一班,10.0.0.2,2026-12-10 09:01:00\r\n"
              "\"'=HYPERLINK(\"\"x\"\")\",1.5,,10.0.0.3,2026-12-10 09:02:00\r\n"
              "\"王, \"\"五\"\"\",0,\"二班\r\n\",10.0.0.4,2026-12-10 09:03:00\r\n");
    EXPECT_EQ(ResultsCsv(ResultsTable{}), "\xEF\xBB\xBF姓名,成绩,考试标识,IP,提交时间\r\n");
}

TEST(ResultsExportTest, TextsThatLookLikeFormulasStayText) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"=1+1", "'=1+1"}, {"+86 123", "'+86 123"}, {"-3", "'-3"}, {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},   {"张=三", "张=三"},      {"", ""},      {"a-b", "a-b"},
    };
    for (const auto& [text, written] : cases) EXPECT_EQ(SpreadsheetText(text), written) << text;
}

TEST(ResultsExportTest, FileNamesCarryExamAndDate) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"期末考试", "期末考试-成绩-20261210.xlsx"},
        {"a/b\\c:d\"e\r\n", "a_b_c_d_e__-成绩-20261210.xlsx"},
        {"", "考试-成绩-20261210.xlsx"},
        {"..", "考试-成绩-20261210.xlsx"},
    };
    for (const auto& [exam, name] : cases) EXPECT_EQ(ExportFileName(exam, "20261210", "xlsx"), name) << exam;
}

class WorkbookExportTest : public ::testing::Test {
protected:
    std::filesystem::path path() const { return folder_.file("export.xlsx"); }
    db::testing::TempFolder folder_;
};

TEST_F(WorkbookExportTest, ListSheetHoldsTheResultsAndTheStatistics) {
    WriteResultsWorkbook(sampleTable(), path().string());
    const Rows list = ReadWorkbookSheet(readFile(path()), "成绩");
    // A paper handed in by the server when its time ran out is marked in its own column.
    EXPECT_EQ(list, (Rows{{"姓名", "成绩", "考试标识", "IP", "提交时间", "自动交卷"},
                          {"李四", "100", "一班", "10.0.0.2", "2026-12-10 09:01:00"},
                          {"=HYPERLINK(\"x\")", "1.5", "", "10.0.0.3", "2026-12-10 09:02:00", "是"},
                          {"王, \"五\"", "0", "二班\r\n", "10.0.0.4", "2026-12-10 09:03:00"},
                          {},
                          {"参考人数：3   总成绩：101.5   平均分：33.83"}}));
    // The name that looks like a formula is a string cell, not a formula.
    const std::string sheet = packagePart(path(), "xl/worksheets/sheet1.xml");
    EXPECT_EQ(sheet.find("<f>"), std::string::npos);
    EXPECT_NE(packagePart(path(), "xl/workbook.xml").find("name=\"答题矩阵\""), std::string::npos);
}

TEST_F(WorkbookExportTest, MatrixSheetTellsRightFromWrongAndEndsWithRates) {
    WriteResultsWorkbook(sampleTable(), path().string());
    const Rows matrix = ReadWorkbookSheet(readFile(path()), "答题矩阵");
    EXPECT_EQ(matrix, (Rows{{"姓名", "考试标识", "成绩", "7", "9"},
                            {"标准答案", "", "", "A", "AC"},
                            {"李四", "一班", "100", "A", "AC"},
                            {"=HYPERLINK(\"x\")", "", "1.5", "B", "AC"},
                            {"王, \"五\"", "二班\r\n", "0", "", "A"},
                            {"正确率[%]", "", "", "33.33", "66.67"}}));
    const std::string sheet = packagePart(path(), "xl/worksheets/sheet2.xml");
    const std::string right = cellStyle(sheet, "D3");
    const std::string wrong = cellStyle(sheet, "D4");
    EXPECT_NE(right, "none");
    EXPECT_NE(wrong, "none");
    EXPECT_NE(right, wrong);
    EXPECT_EQ(cellStyle(sheet, "E3"), right);
    EXPECT_EQ(cellStyle(sheet, "D5"), wrong);
    EXPECT_EQ(cellStyle(sheet, "E5"), wrong);
}

TEST_F(WorkbookExportTest, ExamWithoutResultsGivesHeadingsOnly) {
    ResultsTable table = sampleTable();
    table.results.clear();
    for (ExportedQuestion& question : table.questions) question.answers.clear();
    WriteResultsWorkbook(table, path().string());
    const std::string bytes = readFile(path());
    EXPECT_EQ(ReadWorkbookSheet(bytes, "成绩"),
              (Rows{{"姓名", "成绩", "考试标识", "IP", "提交时间", "自动交卷"}}));
    EXPECT_EQ(ReadWorkbookSheet(bytes, "答题矩阵"), (Rows{{"姓名", "考试标识", "成绩", "7", "9"}}));
}

class ResultsTableTest : public db::testing::DatabaseTest {
protected:
    void paper(std::int64_t exam, const std::string& name, double score, const db::Value& tag,
               const std::vector<std::pair<std::int64_t, std::string>>& answers) {
        exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,?,?,?,?)",
             {exam, "10.1.1.1", name, score, tag});
        for (const auto& [question, answer] : answers) {
            exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,?)",
                 {exam, question, name, answer, ""});
        }
    }
};

TEST_F(ResultsTableTest, ReadsTheShownResultsBestFirstWithTheirAnswers) {
    const std::int64_t exam = createExam("期中");
    const std::int64_t other = createExam("别的");
    const std::int64_t q1 = addQuestion(exam, "一\r\n", "A");
    const std::int64_t q2 = addQuestion(exam, "二\r\n", "B");
    addQuestion(other);
    paper(exam, "甲", 1, "一班", {{q1, "A"}, {q2, "A"}});
    paper(exam, "乙", 2, "二班", {{q1, "A"}, {q2, "B"}});
    paper(exam, "丙", 0, db::Value(), {{q1, "C"}});
    paper(other, "丁", 5, "一班", {});

    struct Case {
        ResultsFilter filter;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases{
        {{}, {"乙", "甲", "丙"}},
        {{ResultsFilter::Kind::Tagged, "一班"}, {"甲"}},
        {{ResultsFilter::Kind::Untagged, ""}, {"丙"}},
        {{ResultsFilter::Kind::Tagged, "三班"}, {}},
    };
    for (const Case& test : cases) {
        const ResultsTable table = ReadResultsTable(db_, exam, test.filter);
        EXPECT_EQ(table.examName, "期中");
        std::vector<std::string> names;
        for (const ExportedResult& result : table.results) names.push_back(result.name);
        EXPECT_EQ(names, test.names) << test.filter.tag;
        ASSERT_EQ(table.questions.size(), 2u);
        for (const ExportedQuestion& question : table.questions)
            EXPECT_EQ(question.answers.size(), names.size());
    }
    const ResultsTable all = ReadResultsTable(db_, exam, {});
    EXPECT_EQ(all.questions[0].id, std::to_string(q1));
    EXPECT_EQ(all.questions[0].answers, (std::vector<std::string>{"A", "A", "C"}));
    EXPECT_EQ(all.questions[1].correctAnswer, "B");
    EXPECT_EQ(all.questions[1].answers, (std::vector<std::string>{"B", "A", ""}));
    EXPECT_EQ(all.results[0].ip, "10.1.1.1");
    EXPECT_EQ(all.results[0].score, 2);
    exec("UPDATE cj SET 自动交卷=1 WHERE 姓名='甲'");
    std::vector<bool> automatic;
    for (const ExportedResult& result : ReadResultsTable(db_, exam, {}).results)
        automatic.push_back(result.automatic);
    EXPECT_EQ(automatic, (std::vector<bool>{false, true, false}));
}

}  // namespace
}  // namespace exam
