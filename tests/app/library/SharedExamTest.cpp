#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/db/Database.h"
#include "app/db/Schema.h"
#include "app/library/SharedExam.h"
#include "tests/app/db/TestDatabase.h"
#include "tests/support/DatabaseRows.h"
#include "tests/support/PrivatePostgres.h"

namespace exam::library {
namespace {

using testing_support::PrivatePostgres;

SharedQuestion question(std::string id, std::string type, std::string options) {
    SharedQuestion made;
    made.id = std::move(id);
    made.row.type = std::move(type);
    made.row.options = std::move(options);
    return made;
}

TEST(SharedExamTest, QuestionsBreakingTheEditorsRulesAreNamedInTheRefusal) {
    const std::string six = "A.1\r\nB.2\r\nC.3\r\nD.4\r\nE.5\r\nF.6\r\n";
    struct Case {
        std::vector<SharedQuestion> questions;
        std::string refusal;
    };
    const std::vector<Case> cases{
        {{question("7", "单选题", six), question("8", "多选题", ""),
          question("9", "判断题", "A.对\r\nB.错\r\n")},
         ""},
        {{}, ""},
        {{question("7", "单选题", six), question("12", "填空题", "")},
         "云考试第2题（题目编号12）的题型“填空题”不是单选题、多选题或判断题，整个考试未载入！"},
        {{question("5", "", "")},
         "云考试第1题（题目编号5）的题型“”不是单选题、多选题或判断题，整个考试未载入！"},
        {{question("3", "多选题", six + "G.7\r\n")},
         "云考试第1题（题目编号3）的备选项超过6项（A-F），整个考试未载入！"},
        {{question("3", "多选题", "\r\n" + six + "\r\n\r\n")}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckSharedQuestions(c.questions), c.refusal);
}

class PublishTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = PrivatePostgres::Shared();
        if (server_ == nullptr) GTEST_SKIP() << PrivatePostgres::SkipReason();
        server_->Clear();
        db::InitDatabase(folder_.file("db1.db"), {std::string("pw"), true});
        local_.Open(folder_.file("db1.db"));
    }

    db::testing::TempFolder folder_;
    db::Database local_;
    PrivatePostgres* server_ = nullptr;
};

TEST_F(PublishTest, TheDemoExamArrivesWithEveryQuestionInItsOrder) {
    RemoteConnection library(server_->LibraryConnection());
    EXPECT_EQ(PublishExam(local_, library, 1, {7, "Ab", "admin"}), 1);
    EXPECT_EQ(PublishExam(local_, library, 1, {}), 2);

    const RemoteResult exams = library.Execute(
        "select id,name,fbq,yykl,glmm,shijian > now() - interval '1 minute' as recent from zxtest order by "
        "id");
    ASSERT_EQ(exams.RowCount(), 2);
    const std::vector<std::string> first{"1", "常识小测验", "7", "Ab", "admin", "t"};
    for (int column = 0; column < 6; ++column) EXPECT_EQ(exams.Text(0, column), first[column]) << column;
    EXPECT_EQ(exams.Text(1, "fbq"), "0");
    EXPECT_EQ(exams.Text(1, "yykl"), "");

    const auto localRows = db::testing::ResultRows(
        local_, "select 题型,题目,候选项,答案,分数 from tm where testid=1 order by id");
    const RemoteResult shared =
        library.Execute("select 题型,题目,候选项,答案,分数 from zxtm where testid=$1 order by id", {"1"});
    ASSERT_EQ(shared.RowCount(), static_cast<int>(localRows.size()));
    ASSERT_GT(shared.RowCount(), 0);
    const std::vector<SharedQuestion> read =
        ReadSharedQuestions(library.Execute("select * from zxtm where testid=1 order by id"));
    for (int row = 0; row < shared.RowCount(); ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(shared.Text(row, column), localRows[row][column]);
        EXPECT_EQ(read[row].row.points, std::stod(localRows[row][4]));
    }
}

TEST_F(PublishTest, AMissingExamPublishesNothing) {
    RemoteConnection library(server_->LibraryConnection());
    EXPECT_THROW(PublishExam(local_, library, 99, {}), std::runtime_error);
    EXPECT_EQ(library.Execute("select count(*) as n from zxtest").Text(0, "n"), "0");
}

// A failure part way through leaves neither the exam nor some of its questions behind.
TEST_F(PublishTest, AFailingQuestionTakesTheWholeExamBack) {
    RemoteConnection library(server_->LibraryConnection());
    server_->Run("ALTER TABLE zxtm ADD CONSTRAINT short_text CHECK (length(题目) < 12)");
    EXPECT_THROW(PublishExam(local_, library, 1, {}), RemoteError);
    server_->Run("ALTER TABLE zxtm DROP CONSTRAINT short_text");
    EXPECT_EQ(
        library.Execute("select (select count(*) from zxtest) || '/' || (select count(*) from zxtm) as n")
            .Text(0, "n"),
        "0/0");
}

TEST_F(PublishTest, WithdrawingRemovesTheExamWithItsQuestionsOnce) {
    RemoteConnection library(server_->LibraryConnection());
    const int number = PublishExam(local_, library, 1, {});
    PublishExam(local_, library, 1, {});
    EXPECT_TRUE(WithdrawExam(library, number));
    EXPECT_FALSE(WithdrawExam(library, number));
    EXPECT_EQ(library.Execute("select count(distinct testid) as n from zxtm").Text(0, "n"), "1");
    EXPECT_EQ(library.Execute("select count(*) as n from zxtest").Text(0, "n"), "1");
}

}  // namespace
}  // namespace exam::library
