#include <gtest/gtest.h>

#include "app/db/DatabaseError.h"
#include "app/db/Query.h"
#include "tests/app/db/TestDatabase.h"
#include "web/forms/TWFPageContext40.h"
#include "web/forms/controls/TWFDBGrid.h"

namespace exam::db {
namespace {

using testing::DatabaseTest;
using web::forms::TWFFieldKind;

// A query read through the data-set interface, as a database grid reads it.
class QueryDataSetTest : public DatabaseTest {
protected:
    QueryDataSetTest() : query_(db_) {
        std::int64_t exam = createExam("考试");
        first_ = addQuestion(exam, "<b>粗</b> & \"引\"", "A", 1.5);
        second_ = addQuestion(exam, "It's\r\n第二行", "B", 2);
        third_ = addQuestion(exam, "第三题", "C", 3);
        query_.SQL().Add("select id as 编号,题目,分数 from tm where testid=? order by id");
        query_.Params({exam});
        query_.Open();
    }

    std::string renderGrid(web::forms::TWFDBGrid& grid) {
        web::forms::TWFPageContext40 context(web::TWFBrowser::brSafari);
        return grid.renderTag(context)->render();
    }

    std::int64_t first_ = 0;
    std::int64_t second_ = 0;
    std::int64_t third_ = 0;
    Query query_;
};

TEST_F(QueryDataSetTest, FieldsReadAsText) {
    web::forms::TWFDataSet& data = query_;
    std::vector<web::forms::TWFFieldInfo> fields = data.FieldInfos();
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].FieldName, "编号");
    EXPECT_EQ(fields[0].DisplayName, "编号");
    EXPECT_EQ(fields[0].Kind, TWFFieldKind::fkText);
    EXPECT_EQ(fields[1].Kind, TWFFieldKind::fkMemo);  // a long text
    EXPECT_EQ(data.FieldInfo("分数").Kind, TWFFieldKind::fkText);
    EXPECT_EQ(data.FieldText("编号"), std::to_string(first_));
    EXPECT_EQ(data.FieldText("分数"), "1.5");
    EXPECT_THROW(data.FieldText("无此字段"), DatabaseError);
    EXPECT_THROW(data.FieldInfo("无此字段"), DatabaseError);
    EXPECT_EQ(data.RecordCount(), 3);
    EXPECT_FALSE(data.Editing());
    query_.Edit();
    EXPECT_TRUE(data.Editing());
    query_.Cancel();
    EXPECT_FALSE(data.Editing());
}

TEST_F(QueryDataSetTest, DatabaseGridListsTheQueryAndKeepsItsPlace) {
    web::forms::TWFDBGrid grid("WFDBGrid1");
    grid.UseFrame = false;
    grid.DataSource = &query_;
    grid.Columns.Add().SetDataField("编号");
    web::forms::TWFDBGridColumn& text = grid.Columns.Add();
    text.SetDataField("题目");
    text.LinkField = "编号";
    grid.Columns.Add().SetDataField("分数");
    query_.Next();
    std::string html = renderGrid(grid);
    EXPECT_EQ(query_.RecNo(), 2);
    auto link = [](std::int64_t id) {
        return "<a href=\"#\" onclick=\"return SubmitClickConfirm('WFDBGRID1','1_" + std::to_string(id) +
               "', true, '');\">";
    };
    EXPECT_NE(html.find(link(first_) + "&lt;b&gt;粗&lt;/b&gt; & &quot;引&quot;</a>"), std::string::npos) << html;
    EXPECT_NE(html.find(link(second_) + "It&#39;s<br>第二行</a>"), std::string::npos) << html;
    EXPECT_NE(html.find(link(third_) + "第三题</a>"), std::string::npos) << html;
    EXPECT_NE(html.find(">1.5</font>"), std::string::npos);
    EXPECT_LT(html.find(link(first_)), html.find(link(third_)));

    query_.Close();
    EXPECT_EQ(renderGrid(grid).find("<tr"), std::string::npos);
}

TEST_F(QueryDataSetTest, GridWithoutColumnsShowsEveryField) {
    web::forms::TWFDBGrid grid("WFDBGrid1");
    grid.UseFrame = false;
    grid.DataSource = &query_;
    std::string html = renderGrid(grid);
    EXPECT_EQ(grid.Columns.Count(), 3);
    EXPECT_NE(html.find(">分数</font></td></tr>"), std::string::npos);
    // Opened again with other fields, the columns follow them.
    query_.SQL().Clear();
    query_.SQL().Add("select 答案 from tm order by id");
    query_.Open();
    html = renderGrid(grid);
    EXPECT_EQ(grid.Columns.Count(), 1);
    EXPECT_NE(html.find(">答案</font>"), std::string::npos);
    EXPECT_NE(html.find(">C</font>"), std::string::npos);
}

}  // namespace
}  // namespace exam::db
