#include <gtest/gtest.h>

#include "app/exam/ExamClock.h"
#include "app/pages/complete/TWFForm7.h"
#include "app/pages/exam/TWFForm5.h"
#include "tests/app/pages/CandidatePagesFixture.h"

namespace exam::pages::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class TWFForm5TimeLimitTest : public CandidatePageTest {
protected:
    void SetUp() override {
        exam_ = createExam("限时考试");
        first_ = addSingleChoice(exam_, "第一题\r\n", "B");
        second_ = addSingleChoice(exam_, "第二题\r\n", "A");
        workOn(exam_);
    }

    // The paper as a candidate left it: the first question answered B, the second shown,
    // the time running out at `deadline`.
    TWFForm5& resume(std::int64_t deadline, const std::string& name = "") {
        AnswerSheet sheet(std::to_string(exam_), "", {std::to_string(first_), std::to_string(second_)});
        sheet.recordChoice(1);
        sheet.next();
        sheet.setName(name);
        sheet.setDeadline(deadline);
        auto page = std::make_unique<TWFForm5>(sheet);
        TWFForm5& shown = *page;
        session_.FormShown(session_.AdoptForm(std::move(page)));
        return shown;
    }

    Rows paper() {
        return rows("select 姓名,成绩,自动交卷 from cj union all select xm,zd,tmid from dtxb order by 3,1");
    }

    std::int64_t exam_ = 0;
    std::int64_t first_ = 0;
    std::int64_t second_ = 0;
};

TEST_F(TWFForm5TimeLimitTest, ExamWithoutLimitHasNoDeadlineAndShowsThePosition) {
    TWFForm5& page = show<TWFForm5>();
    EXPECT_FALSE(page.sheet().deadline().has_value());
    EXPECT_FALSE(page.WFLabel12->Visible);
    EXPECT_FALSE(page.keepAliveDue());
    EXPECT_EQ(page.WFLabel11->Caption, "第 1 / 2 题");
    // No countdown is written into the page.
    EXPECT_EQ(render().find("WFLABEL12"), std::string::npos);
    post({{"WF_Action", "WFBUTTON2"}, {"WF_ActionParam", ""}});
    EXPECT_EQ(page.WFLabel11->Caption, "第 2 / 2 题");
}

TEST_F(TWFForm5TimeLimitTest, LimitSetsTheDeadlineFromTheServersClockWhenThePageIsMade) {
    exec("UPDATE test SET 考试时限=2");
    const std::int64_t before = ServerNow();
    TWFForm5& page = show<TWFForm5>();
    const std::int64_t after = ServerNow();
    ASSERT_TRUE(page.sheet().deadline().has_value());
    EXPECT_GE(*page.sheet().deadline(), before + 2 * MinuteSeconds());
    EXPECT_LE(*page.sheet().deadline(), after + 2 * MinuteSeconds());
    EXPECT_TRUE(page.WFLabel12->Visible);
    EXPECT_FALSE(page.keepAliveDue());
}

TEST_F(TWFForm5TimeLimitTest, PostAfterTheDeadlineIsNotTakenAndHandsThePaperIn) {
    resume(ServerNow() - kDeadlineGraceSeconds - 5);
    post({{"WFRADIOGROUP1", "0"}, {"WFEDIT1", "李四"}, {"WF_Action", "WFBUTTON2"}, {"WF_ActionParam", ""}});
    ASSERT_NE(activeAs<TWFForm7>(), nullptr);
    // Neither the choice nor the name of the late post count.
    const std::string name = "未填写姓名-" + session_.ClientIP();
    EXPECT_EQ(
        paper(),
        (Rows{{name, "1", "1"}, {name, "B", std::to_string(first_)}, {name, "", std::to_string(second_)}}));
    EXPECT_EQ(user().CandidateName, name);
}

TEST_F(TWFForm5TimeLimitTest, OwnHandInWithinTheGraceTakesItsAnswersAndIsMarkedAutomatic) {
    resume(ServerNow());
    post({{"WFRADIOGROUP1", "0"}, {"WFEDIT1", " 李四 "}, {"WF_Action", "WFBUTTON4"}, {"WF_ActionParam", ""}});
    ASSERT_NE(activeAs<TWFForm7>(), nullptr);
    EXPECT_EQ(paper(), (Rows{{"李四", "2", "1"},
                             {"李四", "B", std::to_string(first_)},
                             {"李四", "A", std::to_string(second_)}}));
}

TEST_F(TWFForm5TimeLimitTest, AutomaticHandInUnderATakenNameCountsOn) {
    exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'x','李四',0,'')", {exam_});
    resume(ServerNow() - 60, "李四");
    session_.KeepAlive();
    ASSERT_NE(activeAs<TWFForm7>(), nullptr);
    EXPECT_EQ(rows("select 姓名,自动交卷 from cj order by rowid"), (Rows{{"李四", "0"}, {"李四-2", "1"}}));
}

TEST_F(TWFForm5TimeLimitTest, KeepAliveHandsInOnlyOnceTheTimeAndItsGraceArePast) {
    TWFForm5& page = resume(ServerNow() + 60);
    session_.KeepAlive();
    EXPECT_EQ(activeAs<TWFForm5>(), &page);
    EXPECT_EQ(rows("select count(*) from cj"), (Rows{{"0"}}));

    resume(ServerNow() - kDeadlineGraceSeconds - 1);
    EXPECT_TRUE(session_.KeepAliveDue());
    session_.KeepAlive();
    ASSERT_NE(activeAs<TWFForm7>(), nullptr);
    EXPECT_EQ(rows("select 成绩,自动交卷 from cj"), (Rows{{"1", "1"}}));
    EXPECT_NE(render().find("（考试时间已到，试卷已自动提交）"), std::string::npos);
}

}  // namespace
}  // namespace exam::pages::testing
