// The shared-exam library end to end: the program publishes the sample exam to the tests'
// own PostgreSQL server, and a server started with the library loads it over HTTP.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/library/LibrarySettings.h"
#include "tests/support/DatabaseRows.h"
#include "tests/support/ExamServer.h"
#include "tests/support/PageBrowser.h"
#include "tests/support/PrivatePostgres.h"

namespace {

using testing_support::ExamServer;
using testing_support::PageBrowser;
using testing_support::PrivatePostgres;
using testing_support::ProgramResult;
using testing_support::RunExamServerProgram;

class LibraryIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = PrivatePostgres::Shared();
        if (library_ == nullptr) GTEST_SKIP() << PrivatePostgres::SkipReason();
        library_->Clear();
    }
    void TearDown() override { exam::library::SetLibraryConnection(""); }

    ProgramResult run(std::vector<std::string> arguments) {
        return RunExamServerProgram(arguments, server_.folder());
    }

    std::vector<std::string> rows(const std::string& sql) {
        return exam::db::testing::JoinedRows(server_.folder() / "db1.db", sql);
    }

    static bool alerts(const PageBrowser& browser, const std::string& message) {
        return browser.page.body.find("window.alert(\"" + ExamServer::pageText(message) + "\")") !=
               std::string::npos;
    }

    PrivatePostgres* library_ = nullptr;
    ExamServer server_;
};

TEST_F(LibraryIntegrationTest, PublishedSampleExamIsFoundAndLoadedThroughThePages) {
    const ProgramResult published =
        run({"-publish", "1", "-library", library_->LibraryConnection(), "-fbq", "30", "-yykl", "Ab"});
    ASSERT_EQ(published.exitCode, 0) << published.err;
    EXPECT_EQ(published.out, "Published exam 1. Shared exam number: 1\n");

    exam::library::SetLibraryConnection(library_->LibraryConnection());
    PageBrowser list = PageBrowser::Open(server_.client());
    list.click("WFLINK1");
    list.click("WFBUTTON1", "", {{"WFEDIT1", "pw"}});
    ASSERT_TRUE(list.on("考试列表"));
    ASSERT_TRUE(list.shows("【从栎川云载入】"));
    list.click("WFLINK8");
    ASSERT_TRUE(list.shows("从栎川云载入考试数据"));
    list.click("WFBUTTON3", "", {{"WFEDIT7", "一"}});
    EXPECT_TRUE(alerts(list, "考试编号必须为数字，请检查！！！"));
    list.click("WFBUTTON3", "", {{"WFEDIT7", "7"}});
    EXPECT_TRUE(alerts(list, "考试编号错误，请检查！！！"));
    list.click("WFBUTTON3", "", {{"WFEDIT7", "1"}});
    ASSERT_TRUE(list.shows("常识小测验"));
    ASSERT_TRUE(list.shows("应用口令"));
    const std::string name = "常识小测验";
    list.click("WFBUTTON3", "", {{"WFEDIT7", "1"}, {"WFEDIT8", name}, {"WFEDIT9", "ab"}});
    EXPECT_TRUE(alerts(list, "应用口令错误，请检查！！！"));
    EXPECT_EQ(rows("select count(*) from test"), std::vector<std::string>{"1"});
    list.click("WFBUTTON3", "", {{"WFEDIT7", "1"}, {"WFEDIT8", name}, {"WFEDIT9", "Ab"}});
    EXPECT_EQ(list.page.body.find("window.alert("), std::string::npos);

    EXPECT_EQ(rows("select id,考试名称,wid from test order by id"),
              (std::vector<std::string>{"1|常识小测验|", "2|常识小测验|1"}));
    EXPECT_EQ(rows("select 题型,题目,候选项,答案,分数 from tm where testid=2 order by id"),
              rows("select 题型,题目,候选项,答案,分数 from tm where testid=1 order by id"));
    EXPECT_EQ(rows("select count(*) from tm where testid=2"), std::vector<std::string>{"6"});

    const ProgramResult withdrawn = run({"-unpublish", "1", "-library", library_->LibraryConnection()});
    EXPECT_EQ(withdrawn.exitCode, 0) << withdrawn.err;
    EXPECT_EQ(withdrawn.out, "Shared exam 1 withdrawn.\n");
    const ProgramResult again = run({"-unpublish", "1", "-library", library_->LibraryConnection()});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "The library has no shared exam 1.\n");
}

TEST_F(LibraryIntegrationTest, PublishingRefusesSwitchesThatDoNotFitAndChangesNothing) {
    const std::string library = library_->LibraryConnection();
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"-publish", "1"}, 2, "-publish needs -library with the library's connection string.\n"},
        {{"-publish", "x", "-library", library},
         2,
         "-publish needs the number of an exam of db1.db, not \"x\".\n"},
        {{"-publish", "1", "-library", library, "-fbq", "7"},
         2,
         "An exam closed with -fbq needs its application password: add -yykl PASSWORD.\n"},
        {{"-publish", "1", "-library", library, "-fbq", "3651", "-yykl", "a"},
         2,
         "-fbq needs a number of days from 0 to 3650, not \"3651\".\n"},
        {{"-publish", "2", "-library", library}, 1, "Nothing changed in the library. There is no exam 2.\n"},
        {{"-publish", "1", "-library", "host=/nonexistent-folder dbname=x"},
         1,
         "Nothing changed in the library. "},
        {{"-unpublish", "0", "-library", library},
         2,
         "-unpublish needs the number of a shared exam, not \"0\".\n"},
        {{"-fbq", "7"}, 2, "-fbq and -yykl are only used with -publish.\n"},
    };
    for (const Case& c : cases) {
        const ProgramResult result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments[0] << " " << c.arguments[1];
        EXPECT_EQ(result.err.substr(0, c.message.size()), c.message);
    }
    library_->Run("DO $$ BEGIN IF (SELECT count(*) FROM zxtest) > 0 THEN RAISE 'published'; END IF; END $$");
}

}  // namespace
