// The statements the pages run on the exam database, with the meaning each must keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "app/db/DateTime.h"
#include "tests/app/db/TestDatabase.h"

namespace exam::db {
namespace {

using testing::DatabaseTest;

class ExamStatementsTest : public DatabaseTest {
protected:
    void handIn(std::int64_t exam, const std::string& name, const std::string& tag, double score,
                const std::vector<std::pair<std::int64_t, std::string>>& answers = {}) {
        for (const auto& [question, answer] : answers) {
            exec("INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,?)",
                 {exam, question, name, answer, tag});
        }
        exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,?,?,?,?)",
             {exam, "192.168.1.9", name, score, tag});
    }
    bool duplicate(std::int64_t exam, const std::string& name, const std::string& tag) {
        return count("select 1 from cj where testid=" + std::to_string(exam) + " and 姓名=?and 考试标识=?",
                     {name, tag}) > 0;
    }
    std::vector<std::string> column(const std::string& sql, std::initializer_list<Value> params = {}) {
        Query query(db_);
        query.SQL().Add(sql);
        query.Params(params);
        query.Open();
        std::vector<std::string> values;
        for (; !query.Eof(); query.Next()) values.push_back(query.Fields(0).AsString());
        return values;
    }
};

TEST_F(ExamStatementsTest, HomeListShowsExamsSwitchedOnAndTheirQuestions) {
    const std::int64_t shown = createExam("语文");
    const std::int64_t hidden = createExam("数学");
    exec("update test  set set2=?  where id=?", {1, hidden});
    EXPECT_EQ(column("select id,考试名称 from test where set2=0"),
              std::vector<std::string>{std::to_string(shown)});
    EXPECT_EQ(count("select 1 from tm where testid=" + std::to_string(shown)), 0);
    addQuestion(shown);
    EXPECT_EQ(count("select 1 from tm where testid=" + std::to_string(shown)), 1);
    EXPECT_EQ(column("select set2 from test where id=?", {hidden}), std::vector<std::string>{"1"});
}

TEST_F(ExamStatementsTest, QuotesInNamesAndTextsAreStoredAndFoundUnchanged) {
    const std::string name = "O'Brien \"小王\"";
    const std::string text = "It's a \"question\" -- with '' quotes;\r\n";
    const std::int64_t exam = createExam("Tom's exam");
    const std::int64_t question = addQuestion(exam, text, "B");
    handIn(exam, name, "", 0, {{question, "A"}});
    EXPECT_TRUE(duplicate(exam, name, ""));
    EXPECT_EQ(column("select 考试名称 from test where id=?", {exam}), std::vector<std::string>{"Tom's exam"});
    Query review(db_);
    review.SQL().Add(
        "select tm.id as 题目编号,题目,题型,候选项,答案,分数,zd from tm,dtxb where tm.id=dtxb.tmid and "
        "tm.testid=" +
        std::to_string(exam) + " and dtxb.xm=?");
    review.Params({name});
    review.Open();
    ASSERT_EQ(review.RecordCount(), 1);
    EXPECT_EQ(review.FieldByName("题目").AsString(), text);
    EXPECT_EQ(review.FieldByName("题目编号").AsInteger(), question);
    EXPECT_EQ(review.FieldByName("答案").AsString(), "B");
    EXPECT_EQ(review.FieldByName("zd").AsString(), "A");
}

TEST_F(ExamStatementsTest, TextEqualityIgnoresTheCaseOfLatinLettersOnly) {
    const std::int64_t exam = createExam("考试");
    handIn(exam, "Zhang San", "Class A", 5);
    handIn(exam, "张三", "", 5);
    handIn(exam, "Ａｂ", "", 5);  // full-width letters
    handIn(exam, "Émile", "", 5);
    const struct {
        const char* name;
        const char* tag;
        bool found;
    } cases[] = {
        {"Zhang San", "Class A", true},
        {"zhang san", "CLASS a", true},
        {"ZHANG SAN", "class a", true},
        {"Zhang San", "Class B", false},
        {"Zhang  San", "Class A", false},
        {"张三", "", true},
        {"张叁", "", false},
        {"ａｂ", "", false},
        {"Ａｂ", "", true},
        {"émile", "", false},
        {"ÉMILE", "", true},
    };
    for (const auto& c : cases) EXPECT_EQ(duplicate(exam, c.name, c.tag), c.found) << c.name << "/" << c.tag;
    EXPECT_EQ(
        column("select 成绩 from cj where testid=" + std::to_string(exam) + " and 姓名=?", {"zhang SAN"}),
        std::vector<std::string>{"5"});
}

TEST_F(ExamStatementsTest, LoginIgnoresLatinCaseWhilePasswordChangeComparesExactly) {
    const auto login = [&](const std::string& password) {
        return count("select 1 from shezhi where setx='pass' and setz=?", {password}) > 0;
    };
    EXPECT_TRUE(login("secret"));
    EXPECT_TRUE(login("SeCrEt"));
    EXPECT_FALSE(login("secret "));
    EXPECT_FALSE(login("secrets"));

    Query change(db_);
    change.SQL().Add("select setz from shezhi where setx='pass'");
    change.Open();
    EXPECT_NE(change.FieldByName("setz").AsString(), "SECRET");  // the old-password check is exact
    change.Edit();
    change.FieldByName("setz").SetAsString(" 新密码Ab");
    change.Post();
    change.Close();
    EXPECT_TRUE(login(" 新密码aB"));
    EXPECT_FALSE(login("secret"));
}

TEST_F(ExamStatementsTest, EmptyTagIsNotNull) {
    const std::int64_t exam = createExam("考试");
    EXPECT_EQ(column("select 考试标识 from test where id=?", {exam}), std::vector<std::string>{""});
    const std::int64_t question = addQuestion(exam);
    handIn(exam, "甲", "", 3, {{question, ""}});  // no tag, unanswered
    exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'ip','乙',1,null)", {exam});
    const std::string prefix = "select 姓名 from cj where testid=" + std::to_string(exam);
    EXPECT_EQ(column(prefix + " and 考试标识=?  ORDER BY 成绩  DESC", {""}), std::vector<std::string>{"甲"});
    EXPECT_EQ(column(prefix + " and 考试标识 is null  ORDER BY 成绩  DESC"), std::vector<std::string>{"乙"});
    EXPECT_EQ(column(prefix + "  ORDER BY 成绩  DESC"), (std::vector<std::string>{"甲", "乙"}));
    EXPECT_EQ(count("select * from dtxb where zd=? and 考试标识=?", {"", ""}), 1);
    EXPECT_EQ(count("select * from dtxb where zd is null or 考试标识 is null"), 0);
}

TEST_F(ExamStatementsTest, DistinctTagsAndResultsByTag) {
    const std::int64_t exam = createExam("考试");
    handIn(exam, "甲", "一班", 60);
    handIn(exam, "乙", "一班", 90.5);
    handIn(exam, "丙", "二班", 75);
    handIn(exam, "丁", "", 10);
    std::vector<std::string> tags =
        column("select DISTINCT 考试标识 from cj where testid=" + std::to_string(exam));
    std::sort(tags.begin(), tags.end());
    EXPECT_EQ(tags, (std::vector<std::string>{"", "一班", "二班"}));
    EXPECT_EQ(column("select * from cj where testid=" + std::to_string(exam) +
                         " and 考试标识=?  ORDER BY 成绩  DESC",
                     {"一班"}),
              (std::vector<std::string>{std::to_string(exam), std::to_string(exam)}));
    EXPECT_EQ(column("select 成绩 from cj where testid=" + std::to_string(exam) + "  ORDER BY 成绩  DESC"),
              (std::vector<std::string>{"90.5", "75", "60", "10"}));
}

TEST_F(ExamStatementsTest, HandInTimeIsTheLocalTimeOfTheInsert) {
    const std::int64_t exam = createExam("考试");
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const auto expected = std::chrono::local_days(std::chrono::year(local.tm_year + 1900) /
                                                  static_cast<unsigned>(local.tm_mon + 1) /
                                                  static_cast<unsigned>(local.tm_mday)) +
                          std::chrono::hours(local.tm_hour) + std::chrono::minutes(local.tm_min) +
                          std::chrono::seconds(local.tm_sec);
    handIn(exam, "甲", "", 1);
    Query query(db_);
    query.SQL().Add("select 提交时间 from cj");
    query.Open();
    const auto written = query.FieldByName("提交时间").AsDateTime();
    EXPECT_LE(std::chrono::abs(written - expected), std::chrono::minutes(2)) << query.Fields(0).AsString();
    EXPECT_EQ(query.Fields(0).AsString(), formatDateTime(written));
}

TEST_F(ExamStatementsTest, RandomOrderIsDrawnAnewForEveryRun) {
    const std::int64_t exam = createExam("乱序");
    std::vector<std::string> ids;
    for (int i = 0; i < 50; ++i) ids.push_back(std::to_string(addQuestion(exam)));
    const std::string sql = "select * from tm where testid=" + std::to_string(exam);
    EXPECT_EQ(column(sql), ids);  // without the random key: the order of insertion
    const std::vector<std::string> first = column(sql + "  Order By Rnd(ID)");
    const std::vector<std::string> second = column(sql + "  Order By Rnd(ID)");
    // Equal orders by chance: 1 in 50!.
    EXPECT_NE(first, second);
    for (std::vector<std::string> order : {first, second}) {
        std::sort(order.begin(), order.end());
        std::vector<std::string> sorted = ids;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(order, sorted);
    }
}

TEST_F(ExamStatementsTest, DeletingAnExamRemovesResultsAnswersQuestionsThenTheExam) {
    const std::int64_t exam = createExam("要删的");
    const std::int64_t kept = createExam("留下的");
    const std::int64_t question = addQuestion(exam);
    addQuestion(kept);
    handIn(exam, "甲", "", 1, {{question, "A"}});
    handIn(kept, "甲", "", 1);
    const std::string id = std::to_string(exam);
    EXPECT_EQ(exec("delete from cj where testid=" + id), 1);
    EXPECT_EQ(exec("delete from dtxb where testid=" + id), 1);
    EXPECT_EQ(exec("delete from tm where testid=" + id), 1);
    EXPECT_EQ(exec("delete from test where id=" + id), 1);
    EXPECT_EQ(count("select * from test"), 1);
    EXPECT_EQ(count("select * from tm"), 1);
    EXPECT_EQ(count("select * from cj"), 1);
    // An empty exam: each statement deletes nothing but the last.
    const std::string empty = std::to_string(createExam("空"));
    EXPECT_EQ(exec("delete from cj where testid=" + empty), 0);
    EXPECT_EQ(exec("delete from dtxb where testid=" + empty), 0);
    EXPECT_EQ(exec("delete from tm where testid=" + empty), 0);
    EXPECT_EQ(exec("delete from test where id=" + empty), 1);
    // Keys are not given out again, so a stale exam id cannot reach a newer exam.
    EXPECT_GT(createExam("新"), std::stoll(empty));
}

TEST_F(ExamStatementsTest, DeletingAQuestionKeepsTheScores) {
    const std::int64_t exam = createExam("考试");
    const std::int64_t gone = addQuestion(exam);
    const std::int64_t stays = addQuestion(exam);
    handIn(exam, "甲", "", 2, {{gone, "A"}, {stays, "A"}});
    EXPECT_EQ(exec("delete from dtxb where tmid=" + std::to_string(gone)), 1);
    EXPECT_EQ(exec("delete from tm where id=" + std::to_string(gone)), 1);
    EXPECT_EQ(count("select * from dtxb"), 1);
    EXPECT_EQ(column("select 成绩 from cj"), std::vector<std::string>{"2"});
}

TEST_F(ExamStatementsTest, DeletingResultsOfOneNameRemovesItUnderEveryTag) {
    const std::int64_t exam = createExam("考试");
    const std::int64_t question = addQuestion(exam);
    handIn(exam, "Li Lei", "一班", 1, {{question, "A"}});
    handIn(exam, "li lei", "二班", 1, {{question, "B"}});
    handIn(exam, "韩梅梅", "一班", 1, {{question, "A"}});
    const std::string id = std::to_string(exam);
    EXPECT_EQ(exec("delete from cj where testid=" + id + " and 姓名=?", {"LI LEI"}), 2);
    EXPECT_EQ(exec("delete from dtxb where testid=" + id + " and xm=?", {"LI LEI"}), 2);
    EXPECT_EQ(column("select zd from dtxb where testid=" + id + " and  tmid=" + std::to_string(question) +
                         " and xm=?",
                     {"韩梅梅"}),
              std::vector<std::string>{"A"});
    EXPECT_EQ(exec("delete from cj where testid=" + id), 1);
    EXPECT_EQ(exec("delete from dtxb where testid=" + id), 1);
}

TEST_F(ExamStatementsTest, SettingsPageStatements) {
    const std::int64_t exam = createExam("旧名");
    const std::string where = " where id=" + std::to_string(exam);
    exec("update test  set 考试名称=?" + where, {"新名'"});
    exec("update test  set 考试标识=?" + where, {""});
    for (int s = 1; s <= 5; ++s)
        exec("update test  set set" + std::to_string(s) + "=?  where id=?", {s % 2, exam});
    Query query(db_);
    query.SQL().Add("select * from test" + where);
    query.Open();
    EXPECT_EQ(query.FieldByName("考试名称").AsString(), "新名'");
    EXPECT_FALSE(query.FieldByName("考试标识").IsNull());
    EXPECT_EQ(query.FieldByName("set1").AsInteger() + query.FieldByName("set2").AsInteger() * 10 +
                  query.FieldByName("set5").AsInteger() * 100,
              101);
    exec("INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (?,?,?,?,?,?)",
         {exam, "多选题", "", "", "ACD", "1.5"});
    Query list(db_);
    list.SQL().Add("select id as 编号,wid,题目,题型,候选项,答案,分数 from tm where testid=" +
                   std::to_string(exam) + " ORDER BY id DESC");
    list.Open();
    EXPECT_EQ(list.FieldByName("分数").AsValue(), Value(1.5));  // the typed points text becomes a number
    EXPECT_EQ(list.FieldByName("题目").AsValue(), Value(""));
    EXPECT_TRUE(list.FieldByName("wid").IsNull());
}

TEST_F(ExamStatementsTest, SharedExamImportAppendsTheExamAndCopiesQuestions) {
    Query tem(db_);
    tem.SQL().Add("select * from test");
    tem.Open();
    tem.Append();
    tem.FieldByName("wid").SetAsInteger(123);
    tem.FieldByName("考试名称").SetAsString("共享考试");
    tem.Post();
    const std::int64_t exam = tem.FieldByName("id").AsInteger();
    exec("INSERT INTO tm (testid,wid,题型,题目,候选项,答案,分数) VALUES (?,?,?,?,?,?,?)",
         {exam, 9, "填空题", "题\r\n", "", "A", 2});
    EXPECT_EQ(column("select 考试名称 from test where set2=0"), std::vector<std::string>{"共享考试"});
    EXPECT_EQ(column("select wid from tm where testid=?", {exam}), std::vector<std::string>{"9"});
}

}  // namespace
}  // namespace exam::db
