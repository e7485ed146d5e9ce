#include <gtest/gtest.h>

#include <string>

#include "app/db/SelectScan.h"

namespace exam::db {
namespace {

TEST(SelectScanTest, FindsTheTopLevelFromOfPlainSelects) {
    const struct {
        const char* sql;
        const char* rest;  // the text from the FROM found on
    } cases[] = {
        {"select * from test", "from test"},
        {"  SELECT 考试名称,set3 FROM test where id=1", "FROM test where id=1"},
        {"select setz from shezhi where setx='pass'", "from shezhi where setx='pass'"},
        {"select 'from' as a, \"from\", [from], `from` /* from */ -- from\n from tm", "from tm"},
        {"select (select max(id) from tm) as m, id from test", "from test"},
        {"select id from tm where testid in (select id from test)  Order By Rnd(ID)",
         "from tm where testid in (select id from test)  Order By Rnd(ID)"},
        {"select 'it''s', id from test", "from test"},
    };
    for (const auto& c : cases) {
        const std::string sql = c.sql;
        const auto from = findSimpleSelectFrom(sql);
        ASSERT_TRUE(from.has_value()) << sql;
        EXPECT_EQ(sql.substr(*from), c.rest);
    }
}

TEST(SelectScanTest, LeavesEverythingElseAlone) {
    for (const char* sql : {
             "select DISTINCT 考试标识 from cj where testid=1",
             "select all id from test",
             "select id from test union select id from tm",
             "select testid, count(*) from cj group by testid",
             "select 1",
             "with t as (select 1) select * from t",
             "delete from test where id=1",
             "values (1)",
             "select 'unclosed from test",
             "select (id from test",
             "select id) from test",
             "select id /* from test",
         }) {
        EXPECT_FALSE(findSimpleSelectFrom(sql).has_value()) << sql;
    }
}

}  // namespace
}  // namespace exam::db
