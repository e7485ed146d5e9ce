#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/exam/QuestionImport.h"
#include "tests/app/db/TestDatabase.h"
#include "web/forms/CodePage.h"

namespace exam {
namespace {

const std::string kHeadings = "题型,题目,候选项,答案,分数\r\n";

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The reasons by line, as the page would list them.
std::vector<std::string> report(std::string_view fileName, const std::string& content) {
    return ImportReport(CheckQuestionFile(fileName, content));
}

TEST(QuestionImportTest, RowsBecomeQuestionsAsTheEditorStoresThem) {
    const std::string csv = kHeadings +
                            "单选题,\"我国的首都是？\n请选一项\",\"北京\n上海\n\",a,1\r\n"
                            "多选题,哪些是偶数？,\"A.2\nB.3\nC.4\",\"C, A\",1.5\r\n"
                            "\r\n"
                            ",,,,\r\n"
                            "判断题,地球是圆的,,A,2\r\n";
    const ImportCheck check = CheckQuestionFile("题库.CSV", csv);
    ASSERT_TRUE(check.passed()) << check.fileError;
    ASSERT_EQ(check.questions.size(), 3u);
    const QuestionRow& single = check.questions[0];
    EXPECT_EQ(single.type, "单选题");
    EXPECT_EQ(single.text, "我国的首都是？\r\n请选一项\r\n");
    EXPECT_EQ(single.options, "A.北京\r\nB.上海\r\n");
    EXPECT_EQ(single.answer, "A");
    EXPECT_EQ(single.points, 1);
    // Own prefixes are not doubled; letters are sorted and separators dropped.
    EXPECT_EQ(check.questions[1].options, "A.2\r\nB.3\r\nC.4\r\n");
    EXPECT_EQ(check.questions[1].answer, "AC");
    EXPECT_EQ(check.questions[1].points, 1.5);
    // A true/false question without options gets the editor's two.
    EXPECT_EQ(check.questions[2].options, "A.对\r\nB.错\r\n");
}

TEST(QuestionImportTest, OptionsMayStandInColumnsAToF) {
    const std::string csv =
        "题型,题目,A,B,C,D,E,F,答案,分数\r\n"
        "单选题,一,甲,乙,丙,,,,C,1\r\n"
        "多选题,二,甲,,丙,,,,A,1\r\n";
    EXPECT_EQ(report("q.csv", csv), (std::vector<std::string>{"第3行：候选项A-F须从A列起连续填写"}));
    const ImportCheck check = CheckQuestionFile("q.csv", csv.substr(0, csv.rfind("多选题")));
    ASSERT_TRUE(check.passed());
    EXPECT_EQ(check.questions[0].options, "A.甲\r\nB.乙\r\nC.丙\r\n");
}

TEST(QuestionImportTest, EveryEncodingOfTheSameFileGivesTheSameQuestions) {
    const std::string utf8 = kHeadings + "单选题,中文题目“引号”,\"选项一\n选项二\",B,3\r\n";
    const std::string gb18030 = web::forms::EncodeForCharset(utf8, "gb2312");
    ASSERT_NE(gb18030, utf8);
    for (const std::string& content : {utf8, "\xEF\xBB\xBF" + utf8, gb18030}) {
        const ImportCheck check = CheckQuestionFile("a.csv", content);
        ASSERT_TRUE(check.passed()) << check.fileError;
        ASSERT_EQ(check.questions.size(), 1u);
        EXPECT_EQ(check.questions[0].text, "中文题目“引号”\r\n");
        EXPECT_EQ(check.questions[0].options, "A.选项一\r\nB.选项二\r\n");
    }
}

struct FileCase {
    const char* what;
    std::string fileName;
    std::string content;
    std::string message;
};

TEST(QuestionImportTest, FilesThatCannotBeReadAreRefusedByName) {
    const std::string row = "单选题,题,\"甲\n乙\",A,1\r\n";
    std::string rows5001 = kHeadings;
    for (int i = 0; i < 5001; ++i) rows5001 += row;
    const std::vector<FileCase> cases{
        {"other type", "questions.xls", kHeadings + row, "只能导入.xlsx或.csv文件"},
        {"no extension", "questions", kHeadings + row, "只能导入.xlsx或.csv文件"},
        {"empty", "q.csv", "", "文件是空的"},
        {"too large", "q.csv", std::string(kMaxImportBytes + 1, 'a'), "文件超过5 MiB，请分批导入"},
        {"binary", "q.csv", std::string("\x01\x00\x02", 3), "文件不是文本格式的CSV文件"},
        {"neither UTF-8 nor GB18030", "q.csv", kHeadings + "\xFF\xFF\r\n",
         "无法识别文件编码：CSV文件须为UTF-8或GB18030（GBK）编码"},
        {"mark but no UTF-8", "q.csv", "\xEF\xBB\xBF" + kHeadings + "\xC4\xE3\r\n",
         "文件标明为UTF-8编码，但内容不是有效的UTF-8"},
        {"open quote", "q.csv", kHeadings + row + "单选题,\"没有结束,A,1\r\n单选题,题,,A,1\r\n",
         "CSV格式错误：第4行开始的引号没有结束"},
        {"missing columns", "q.csv", "题目,候选项,分数\r\n" + row,
         "缺少列：题型、答案（第1行须为列名：题型、题目、候选项、答案、分数）"},
        {"headings only", "q.csv", "\r\n" + kHeadings + "\r\n", "文件中没有试题"},
        {"blank lines only", "q.csv", "\r\n,,\r\n", "文件中没有试题"},
        {"5001 rows", "q.csv", rows5001, "试题超过5000行，请分批导入"},
        {"not a workbook", "q.xlsx", "PK\x03\x04 but not really a zip", "文件不是有效的Excel工作簿（.xlsx）"},
        {"text named xlsx", "q.xlsx", kHeadings + row, "文件不是有效的Excel工作簿（.xlsx）"},
    };
    for (const FileCase& test : cases) {
        const ImportCheck check = CheckQuestionFile(test.fileName, test.content);
        EXPECT_EQ(check.fileError, test.message) << test.what;
        EXPECT_TRUE(check.questions.empty()) << test.what;
        EXPECT_EQ(ImportReport(check), std::vector<std::string>{test.message}) << test.what;
    }
}

TEST(QuestionImportTest, LimitsHoldExactlyAtTheirValue) {
    const std::string row = "单选题,题,\"甲\n乙\",A,1\r\n";
    std::string rows5000 = kHeadings;
    for (int i = 0; i < 5000; ++i) rows5000 += row;
    EXPECT_EQ(CheckQuestionFile("q.csv", rows5000).questions.size(), 5000u);

    const std::string start = kHeadings + "单选题,";
    const std::string end = ",\"甲\n乙\",A,1\r\n";
    const std::string fullSize = start + std::string(kMaxImportBytes - start.size() - end.size(), 'x') + end;
    ASSERT_EQ(fullSize.size(), kMaxImportBytes);
    EXPECT_TRUE(CheckQuestionFile("q.csv", fullSize).passed());
}

struct RowCase {
    std::string row;
    std::string reason;
};

TEST(QuestionImportTest, EveryWrongRowIsListedWithItsLineAndNothingPasses) {
    const std::vector<RowCase> cases{
        {",题,\"甲\n乙\",A,1", "题型未选择！请检查！！！"},
        {"填空题,题,,A,1", "题型“填空题”无效，应为单选题、多选题或判断题"},
        {"单选题,,\"甲\n乙\",A,1", "题目不能为空"},
        {"单选题,题,\"甲\n乙\",A,一分", "题目分值必须为数字！！！"},
        {"单选题,题,\"甲\n乙\",A,", "题目分值必须为数字！！！"},
        {"单选题,题,\"甲\n乙\",,1", "正确答案未选择！请检查！！！"},
        {"单选题,题,\"甲\n乙\",G,1", "答案只能由字母A-F组成"},
        {"单选题,题,\"甲\n乙\",AB,1", "单选题只能有一个正确答案"},
        {"判断题,题,,AB,1", "判断题只能有一个正确答案"},
        {"单选题,题,\"甲\n乙\",C,1", "答案C超出候选项范围（共2项）"},
        {"判断题,题,,C,1", "答案C超出候选项范围（共2项）"},
        {"多选题,题,\"1\n2\n3\n4\n5\n6\n7\",AB,1", "备选项最多只能有6项（A-F）！请检查！！！"},
    };
    std::string csv = kHeadings + "单选题,对的一行,\"甲\n乙\",A,1\r\n";
    std::vector<std::string> expected;
    // Each wrong row's line: the headings are line 1, the right row lines 2 and 3 (its
    // quoted options hold a line break), and so on.
    std::size_t line = 4;
    for (const RowCase& test : cases) {
        csv += test.row + "\r\n";
        expected.push_back("第" + std::to_string(line) + "行：" + test.reason);
        line += 1 + static_cast<std::size_t>(std::count(test.row.begin(), test.row.end(), '\n'));
    }
    const ImportCheck check = CheckQuestionFile("q.csv", csv);
    EXPECT_TRUE(check.fileError.empty());
    EXPECT_TRUE(check.questions.empty());
    EXPECT_EQ(ImportReport(check), expected);
}

TEST(QuestionImportTest, ReportListsTwentyRowsThenCountsTheRest) {
    std::string csv = kHeadings;
    for (int i = 0; i < 25; ++i) csv += "单选题,题,,,1\r\n";
    const std::vector<std::string> lines = report("q.csv", csv);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines.front(), "第2行：正确答案未选择！请检查！！！");
    EXPECT_EQ(lines[19], "第21行：正确答案未选择！请检查！！！");
    EXPECT_EQ(lines.back(), "……另有5行有错误");
}

TEST(QuestionImportTest, TemplatesImportAsTheirTwoExamples) {
    db::testing::TempFolder folder;
    const std::filesystem::path workbook = folder.file("template.xlsx");
    WriteQuestionTemplateWorkbook(workbook.string());
    const ImportCheck fromWorkbook = CheckQuestionFile("template.xlsx", readFile(workbook));
    const ImportCheck fromCsv = CheckQuestionFile("template.csv", QuestionTemplateCsv());
    for (const ImportCheck* check : {&fromWorkbook, &fromCsv}) {
        ASSERT_TRUE(check->passed()) << check->fileError;
        ASSERT_EQ(check->questions.size(), 2u);
        EXPECT_EQ(check->questions[0].type, "单选题");
        EXPECT_EQ(check->questions[0].options, "A.北京\r\nB.上海\r\nC.广州\r\nD.深圳\r\n");
        EXPECT_EQ(check->questions[1].answer, "AC");
        EXPECT_EQ(check->questions[1].points, 2);
    }
}

TEST(QuestionImportTest, WorkbookRowsAreNumberedAsTheSpreadsheetShowsThem) {
    db::testing::TempFolder folder;
    const std::filesystem::path path = folder.file("q.xlsx");
    lxw_workbook* workbook = workbook_new(path.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "题库");
    const char* headings[] = {"题型", "题目", "A", "B", "答案", "分数"};
    for (lxw_col_t column = 0; column < 6; ++column)
        worksheet_write_string(sheet, 2, column, headings[column], nullptr);
    worksheet_write_string(sheet, 3, 0, "单选题", nullptr);
    worksheet_write_string(sheet, 3, 1, "=1+1", nullptr);
    worksheet_write_string(sheet, 3, 2, "是", nullptr);
    worksheet_write_string(sheet, 3, 3, "否", nullptr);
    worksheet_write_string(sheet, 3, 4, "B", nullptr);
    worksheet_write_number(sheet, 3, 5, 2.5, nullptr);
    worksheet_write_string(sheet, 6, 0, "多选题", nullptr);
    worksheet_write_string(sheet, 6, 1, "题", nullptr);
    worksheet_write_string(sheet, 6, 4, "A", nullptr);
    workbook_close(workbook);

    const std::string bytes = readFile(path);
    EXPECT_EQ(report("q.xlsx", bytes), std::vector<std::string>{"第7行：题目分值必须为数字！！！"});
}

class StoreQuestionsTest : public db::testing::DatabaseTest {};

TEST_F(StoreQuestionsTest, StoresAllQuestionsOrNone) {
    const std::int64_t exam = createExam("导入");
    const ImportCheck check = CheckQuestionFile(
        "q.csv", kHeadings + "单选题,一,\"甲\n乙\",B,1\r\n多选题,二,\"甲\n乙\n丙\",AC,2.5\r\n");
    ASSERT_TRUE(check.passed());
    StoreQuestions(db_, exam, check.questions);
    EXPECT_EQ(rows("select testid,题型,题目,候选项,答案,分数 from tm order by id"),
              (std::vector<std::vector<std::string>>{
                  {std::to_string(exam), "单选题", "一\r\n", "A.甲\r\nB.乙\r\n", "B", "1"},
                  {std::to_string(exam), "多选题", "二\r\n", "A.甲\r\nB.乙\r\nC.丙\r\n", "AC", "2.5"}}));

    // A failure at the second insert takes the first back with it.
    exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON tm WHEN NEW.题目 = '二\r\n' BEGIN SELECT RAISE(ABORT, "
        "'refused'); END");
    EXPECT_ANY_THROW(StoreQuestions(db_, exam, check.questions));
    EXPECT_EQ(count("select 1 from tm"), 2);
}

}  // namespace
}  // namespace exam
