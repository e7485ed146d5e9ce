#include <gtest/gtest.h>

#include "app/db/DatabaseError.h"
#include "app/db/Query.h"
#include "tests/app/db/TestDatabase.h"

namespace exam::db {
namespace {

using testing::DatabaseTest;

// Runs `action` and returns the message of the DatabaseError it raises.
template <typename Action>
std::string errorOf(Action action) {
    try {
        action();
    } catch (const DatabaseError& error) {
        return error.what();
    }
    return "<no error>";
}

class QueryTest : public DatabaseTest {
protected:
    QueryTest() : query_(db_) {
        exam_ = createExam("考试");
        for (int i = 1; i <= 3; ++i) addQuestion(exam_, "第" + std::to_string(i) + "题\r\n", "A", i * 1.5);
    }
    void open(const std::string& sql) {
        query_.SQL().Clear();
        query_.SQL().Add(sql);
        query_.Open();
    }
    std::int64_t exam_ = 0;
    Query query_;
};

TEST_F(QueryTest, WalkVisitsEveryRowAndEndsAtEof) {
    open("select id,题目 from tm order by id");
    ASSERT_EQ(query_.RecordCount(), 3);
    std::string texts;
    for (query_.First(); !query_.Eof(); query_.Next()) texts += query_.FieldByName("题目").AsString();
    EXPECT_EQ(texts, "第1题\r\n第2题\r\n第3题\r\n");
    query_.Next();
    EXPECT_TRUE(query_.Eof());
    EXPECT_EQ(query_.FieldByName("题目").AsString(), "第3题\r\n");  // stays on the last row
}

TEST_F(QueryTest, EmptyResultIsAtEofAtOnceAndReadsEmpty) {
    open("select * from tm where testid=-1");
    EXPECT_EQ(query_.RecordCount(), 0);
    EXPECT_TRUE(query_.Eof());
    EXPECT_TRUE(query_.Bof());
    EXPECT_EQ(query_.RecNo(), 0);
    EXPECT_FALSE(query_.GetBookmark().has_value());
    EXPECT_TRUE(query_.FieldByName("答案").IsNull());
    EXPECT_EQ(query_.FieldByName("答案").AsString(), "");
}

TEST_F(QueryTest, ClosedQueryIsAtEofAndRefusesTheRest) {
    EXPECT_FALSE(query_.Active());
    EXPECT_TRUE(query_.Eof());
    EXPECT_EQ(errorOf([&] { query_.RecordCount(); }), "Cannot perform this operation on a closed dataset");
    open("select 1");
    query_.SQL().Add("where 1");  // changing the text closes
    EXPECT_FALSE(query_.Active());
}

TEST_F(QueryTest, FieldsConvertByTheirValues) {
    exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,?,?,?,?)",
         {exam_, "10.0.0.7", "王五", 12, ""});
    open("select testid,姓名,成绩,考试标识,提交时间,null as 空 from cj");
    EXPECT_EQ(query_.FieldByName("testid").AsString(), std::to_string(exam_));
    EXPECT_EQ(query_.FieldByName("testid").DataType(), FieldType::ftInteger);
    EXPECT_EQ(query_.FieldByName("成绩").AsString(), "12");  // stored as a number, written in general form
    EXPECT_EQ(query_.FieldByName("成绩").DataType(), FieldType::ftFloat);
    EXPECT_DOUBLE_EQ(query_.FieldByName("成绩").AsFloat(), 12.0);
    EXPECT_EQ(query_.FieldByName("成绩").AsInteger(), 12);
    EXPECT_EQ(query_.FieldByName("姓名").AsString(), "王五");
    EXPECT_FALSE(query_.FieldByName("考试标识").IsNull());
    EXPECT_EQ(query_.FieldByName("提交时间").DataType(), FieldType::ftDateTime);
    EXPECT_NO_THROW(query_.FieldByName("提交时间").AsDateTime());
    EXPECT_TRUE(query_.FieldByName("空").IsNull());
    EXPECT_EQ(query_.FieldByName("空").AsInteger(), 0);
    EXPECT_EQ(errorOf([&] { query_.FieldByName("姓名").AsInteger(); }),
              "'王五' is not a valid integer value");
}

TEST_F(QueryTest, LongTextColumnsAreMemos) {
    open("select id as 编号,wid,题目,题型,候选项,答案,分数 from tm where testid=" + std::to_string(exam_));
    EXPECT_EQ(query_.FieldByName("题目").DataType(), FieldType::ftMemo);
    EXPECT_TRUE(query_.FieldByName("候选项").IsBlob());
    EXPECT_EQ(query_.FieldByName("题型").DataType(), FieldType::ftString);
    EXPECT_EQ(query_.FieldByName("编号").OriginColumn(), "id");
    EXPECT_EQ(query_.FieldByName("分数").AsString(), "1.5");
}

TEST_F(QueryTest, FieldNamesIgnoreLatinCaseAndUnknownNamesAreErrors) {
    open("select 考试名称,set2 from test");
    EXPECT_EQ(&query_.FieldByName("SET2"), &query_.Fields(1));
    EXPECT_EQ(query_.FindField("set3"), nullptr);
    EXPECT_EQ(errorOf([&] { query_.FieldByName("set3"); }), "Field 'set3' not found");
}

TEST_F(QueryTest, ParametersByPositionAndByName) {
    query_.SQL().Add("select ? || ? || :x || @y || $z");
    query_.Param(2, "b").Param(1, "a").Param(":x", "c").Param("y", "d").Param("$z", 5);
    query_.Open();
    EXPECT_EQ(query_.Fields(0).AsString(), "abcd5");
}

TEST_F(QueryTest, ParameterMistakesAreErrors) {
    const struct {
        const char* sql;
        std::function<void(Query&)> bind;
        const char* message;
    } cases[] = {
        {"select ?, ?", [](Query& q) { q.Params({1}); }, "no value given for parameter 2"},
        {"select :name", [](Query&) {}, "no value given for parameter ':name'"},
        {"select ?",
         [](Query& q) {
             q.Params({1, 2});
         },
         "the statement has no parameter 2"},
        {"select :name", [](Query& q) { q.Param("other", 1); }, "the statement has no parameter 'other'"},
        {"select 1; select 2", [](Query&) {}, "the statement text holds more than one statement"},
        {"   ", [](Query&) {}, "the statement text is empty"},
        {"select * from nosuch", [](Query&) {}, "no such table: nosuch"},
        {"delete from test where id=0", [](Query&) {}, "the statement returns no result set"},
    };
    for (const auto& c : cases) {
        query_.SQL().Clear();
        query_.SQL().Add(c.sql);
        c.bind(query_);
        EXPECT_EQ(errorOf([&] { query_.Open(); }), c.message) << c.sql;
    }
    EXPECT_THROW(query_.Param(0, 1), DatabaseError);
}

TEST_F(QueryTest, NewStatementTextForgetsTheOldParameters) {
    query_.SQL().Add("select ?");
    query_.Params({1});
    query_.SQL().Clear();
    query_.SQL().Add("select ?");
    EXPECT_EQ(errorOf([&] { query_.Open(); }), "no value given for parameter 1");
}

TEST_F(QueryTest, EmptyTextStaysDistinctFromNull) {
    query_.SQL().Add("select ? is null, ? = '', length(?)");
    query_.Params({std::string(), std::string_view(), ""});
    query_.Open();
    EXPECT_EQ(query_.Fields(0).AsInteger(), 0);
    EXPECT_EQ(query_.Fields(1).AsInteger(), 1);
    EXPECT_EQ(query_.Fields(2).AsInteger(), 0);
}

TEST_F(QueryTest, ExecSqlReportsChangedRows) {
    query_.SQL().Add("update tm set 分数=? where testid=?");
    query_.Params({2, exam_});
    EXPECT_EQ(query_.ExecSQL(), 3);
    EXPECT_FALSE(query_.Active());
}

TEST_F(QueryTest, BookmarksAndMovesReturnToRows) {
    open("select 题目 from tm order by id");
    query_.Next();
    const auto mark = query_.GetBookmark();
    ASSERT_TRUE(mark.has_value());
    EXPECT_EQ(query_.RecNo(), 2);
    query_.Last();
    EXPECT_TRUE(query_.Eof());
    EXPECT_EQ(query_.RecNo(), 3);
    EXPECT_EQ(query_.MoveBy(-5), -2);
    EXPECT_TRUE(query_.Bof());
    EXPECT_EQ(query_.RecNo(), 1);
    query_.GotoBookmark(*mark);
    EXPECT_EQ(query_.FieldByName("题目").AsString(), "第2题\r\n");
    EXPECT_FALSE(query_.Eof());
    EXPECT_EQ(errorOf([&] { query_.GotoBookmark(3); }), "Record not found");
}

TEST_F(QueryTest, EditFindsItsRowByTheValuesReadAndChangesOnlyIt) {
    exec("INSERT INTO shezhi (setx,setz) VALUES ('other','secret')");
    open("select setz from shezhi where setx='pass'");
    query_.Edit();
    EXPECT_EQ(query_.State(), DataSetState::dsEdit);
    query_.FieldByName("setz").SetAsString("New'Pass");
    EXPECT_EQ(query_.FieldByName("setz").AsString(), "New'Pass");
    query_.Post();
    EXPECT_EQ(query_.State(), DataSetState::dsBrowse);
    EXPECT_EQ(scalar("select setz from shezhi where setx='pass'"), "New'Pass");
    EXPECT_EQ(scalar("select setz from shezhi where setx='other'"), "secret");
}

TEST_F(QueryTest, EditOfARowChangedMeanwhileIsRefused) {
    open("select setz from shezhi where setx='pass'");
    exec("update shezhi set setz='SECRET'");  // differs in case only: still another value
    query_.Edit();
    query_.FieldByName("setz").SetAsString("mine");
    EXPECT_EQ(errorOf([&] { query_.Post(); }),
              "Row cannot be located for updating; it was changed or deleted");
    EXPECT_EQ(scalar("select setz from shezhi"), "SECRET");
    query_.Cancel();
    EXPECT_EQ(query_.FieldByName("setz").AsString(), "secret");
}

TEST_F(QueryTest, EditOfOneOfTwoEqualRowsChangesOnlyTheCurrentOne) {
    exec("INSERT INTO shezhi (setx,setz) VALUES ('pass','secret')");
    open("select setz from shezhi where setx='pass'");
    query_.Next();
    query_.Edit();
    query_.FieldByName("setz").SetAsString("second");
    query_.Post();
    EXPECT_EQ(scalar("select group_concat(setz,',') from (select setz from shezhi order by rowid)"),
              "secret,second");
}

TEST_F(QueryTest, EditWithoutRowIdsRefusesValuesThatMatchSeveralRows) {
    exec("INSERT INTO shezhi (setx,setz) VALUES ('pass','secret')");
    open("select s.setz from shezhi s where s.setx='pass'");  // an alias: the row ids are not read along
    query_.Edit();
    query_.FieldByName("setz").SetAsString("x");
    EXPECT_EQ(errorOf([&] { query_.Post(); }), "Row cannot be located for updating; several rows match");
    EXPECT_EQ(count("select * from shezhi where setz='secret'"), 2);
    exec("delete from shezhi where rowid=2");
    query_.Post();
    EXPECT_EQ(scalar("select setz from shezhi"), "x");
}

TEST_F(QueryTest, AppendedRowHasItsNewKeyAndTheDefaults) {
    open("select * from test");
    ASSERT_EQ(query_.RecordCount(), 1);
    query_.Append();
    EXPECT_EQ(query_.State(), DataSetState::dsInsert);
    query_.FieldByName("wid").SetAsString("77");
    query_.FieldByName("考试名称").SetAsString("云端考试");
    query_.Post();
    const std::int64_t id = query_.FieldByName("id").AsInteger();
    EXPECT_GT(id, exam_);
    EXPECT_EQ(query_.RecordCount(), 2);
    EXPECT_EQ(query_.FieldByName("wid").AsValue(), Value(77));
    EXPECT_EQ(query_.FieldByName("set5").AsInteger(), 1);
    EXPECT_TRUE(query_.FieldByName("考试标识").IsNull());
    EXPECT_EQ(scalar("select 考试名称 from test where id=?", {id}), "云端考试");
}

TEST_F(QueryTest, ChangesNeedOneTableAndEditMode) {
    open("select * from test");
    EXPECT_EQ(errorOf([&] { query_.FieldByName("wid").SetAsInteger(1); }),
              "Dataset not in edit or insert mode");
    query_.Edit();
    EXPECT_EQ(errorOf([&] { query_.Next(); }), "Dataset is in edit or insert mode; post or cancel first");
    query_.Cancel();
    open("select tm.id as 题目编号,题目,zd from tm,dtxb where tm.id=dtxb.tmid");
    EXPECT_EQ(errorOf([&] { query_.Append(); }), "a result of more than one table cannot be changed");
    open("select id, id*2 as twice from test");
    query_.Edit();
    EXPECT_EQ(errorOf([&] { query_.FieldByName("twice").SetAsInteger(1); }),
              "Field 'twice' cannot be modified");
}

}  // namespace
}  // namespace exam::db
