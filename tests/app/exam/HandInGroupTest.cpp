#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/db/DatabaseError.h"
#include "app/db/GroupCommit.h"
#include "app/exam/HandIn.h"
#include "tests/app/db/TestDatabase.h"

namespace exam {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using namespace std::chrono_literals;

// Papers handed in while a commit is in flight: the tests hold a commit open with a
// piece of work that waits for them, queue papers behind it, then let it go.
class HandInGroupTest : public db::testing::DatabaseTest {
protected:
    HandInGroupTest() {
        exam_ = createExam("合卷");
        exec("update test set 考试标识='一班' where id=?", {exam_});
        question_ = addQuestion(exam_, "题\r\n", "A", 2);
        committer_ = db::GroupCommitter::forDatabase(db_);
    }

    ~HandInGroupTest() override {
        for (std::thread& thread : threads_) {
            if (thread.joinable()) thread.join();
        }
    }

    Paper paper(const std::string& name) const {
        return Paper{std::to_string(exam_), name, "10.0.0.9", {{std::to_string(question_), "A"}}};
    }

    // A piece of work that holds its group open until `release` is set.
    struct Holder {
        std::promise<void> started;
        std::promise<void> release;
    };

    void hold(Holder& holder) {
        std::shared_future<void> release = holder.release.get_future().share();
        threads_.emplace_back([this, &holder, release] {
            committer_->run([&holder, release](db::Database&) {
                holder.started.set_value();
                release.wait();
            });
        });
    }

    // Hands the paper in from a session of its own.
    std::future<HandInOutcome> handIn(const std::string& name) {
        return std::async(std::launch::async, [this, name] {
            db::Database session(file_);
            return HandIn(session).submit(paper(name)).outcome;
        });
    }

    bool waitForQueue(std::size_t length) const {
        for (int i = 0; i < 500 && committer_->waiting() < length; ++i) std::this_thread::sleep_for(10ms);
        return committer_->waiting() == length;
    }

    std::int64_t exam_ = 0;
    std::int64_t question_ = 0;
    std::shared_ptr<db::GroupCommitter> committer_;
    std::vector<std::thread> threads_;
};

TEST_F(HandInGroupTest, TwoPapersOfOneNameInOneGroupStoreOne) {
    Holder first;
    hold(first);
    first.started.get_future().wait();
    auto a = handIn("Tom");
    auto b = handIn("tom");
    ASSERT_TRUE(waitForQueue(2));
    first.release.set_value();

    const HandInOutcome outcomes[] = {a.get(), b.get()};
    EXPECT_EQ(std::count(std::begin(outcomes), std::end(outcomes), HandInOutcome::Stored), 1);
    EXPECT_EQ(std::count(std::begin(outcomes), std::end(outcomes), HandInOutcome::DuplicateName), 1);
    EXPECT_EQ(committer_->groups(), 2u);  // the held one, then both papers together
    EXPECT_EQ(rows("select count(*),成绩 from cj"), (Rows{{"1", "2"}}));
    EXPECT_EQ(rows("select count(*) from dtxb"), (Rows{{"1"}}));
}

TEST_F(HandInGroupTest, AFailingPaperRollsBackAloneWhileTheGroupCommits) {
    exec(
        "CREATE TRIGGER fault BEFORE INSERT ON cj WHEN NEW.姓名='坏' "
        "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    Holder first;
    hold(first);
    first.started.get_future().wait();
    auto before = handIn("甲");
    ASSERT_TRUE(waitForQueue(1));
    auto failing = handIn("坏");
    ASSERT_TRUE(waitForQueue(2));
    auto after = handIn("乙");
    ASSERT_TRUE(waitForQueue(3));
    first.release.set_value();

    EXPECT_EQ(before.get(), HandInOutcome::Stored);
    EXPECT_EQ(after.get(), HandInOutcome::Stored);
    try {
        failing.get();
        ADD_FAILURE() << "the paper passed the fault";
    } catch (const db::DatabaseError& error) {
        EXPECT_STREQ(error.what(), "disk full");
    }
    EXPECT_EQ(committer_->groups(), 2u);
    EXPECT_EQ(rows("select 姓名 from cj order by rowid"), (Rows{{"甲"}, {"乙"}}));
    EXPECT_EQ(rows("select xm from dtxb order by rowid"), (Rows{{"甲"}, {"乙"}}));
}

// The exam's tag and key are read once per group: a paper of another exam in the same
// group is scored by its own exam's, and a later group by what holds by then.
TEST_F(HandInGroupTest, EachPaperIsScoredByItsExamsKeyOfTheMoment) {
    const std::int64_t other = createExam("另卷");
    exec("update test set 考试标识='二班' where id=?", {other});
    const std::int64_t otherQuestion = addQuestion(other, "题\r\n", "B", 5);
    Holder first;
    hold(first);
    first.started.get_future().wait();
    auto a = handIn("甲");
    ASSERT_TRUE(waitForQueue(1));
    auto b = std::async(std::launch::async, [&] {
        db::Database session(file_);
        const Paper paper{std::to_string(other), "乙", "10.0.0.9", {{std::to_string(otherQuestion), "B"}}};
        return HandIn(session).submit(paper).outcome;
    });
    ASSERT_TRUE(waitForQueue(2));
    auto c = handIn("丙");
    ASSERT_TRUE(waitForQueue(3));
    first.release.set_value();
    for (auto* outcome : {&a, &b, &c}) EXPECT_EQ(outcome->get(), HandInOutcome::Stored);

    exec("update tm set 答案='B' where id=?", {question_});
    exec("update test set 考试标识='三班' where id=?", {exam_});
    EXPECT_EQ(handIn("丁").get(), HandInOutcome::Stored);

    EXPECT_EQ(committer_->groups(), 3u);
    EXPECT_EQ(rows("select 姓名,成绩,考试标识 from cj order by rowid"),
              (Rows{{"甲", "2", "一班"}, {"乙", "5", "二班"}, {"丙", "2", "一班"}, {"丁", "0", "三班"}}));
}

TEST_F(HandInGroupTest, APaperIsAnsweredOnlyAfterItsCommit) {
    Holder first;
    hold(first);
    first.started.get_future().wait();
    auto paper = handIn("张三");
    ASSERT_TRUE(waitForQueue(1));
    // Queued after the paper, so the paper's rows are written when this one holds the commit.
    Holder last;
    hold(last);
    ASSERT_TRUE(waitForQueue(2));
    first.release.set_value();
    last.started.get_future().wait();

    EXPECT_EQ(paper.wait_for(200ms), std::future_status::timeout);
    db::Database reader(file_);
    EXPECT_EQ(db::testing::ResultRows(reader, "select count(*) from cj"), (Rows{{"0"}}));
    last.release.set_value();
    EXPECT_EQ(paper.get(), HandInOutcome::Stored);
    EXPECT_EQ(db::testing::ResultRows(reader, "select 姓名 from cj"), (Rows{{"张三"}}));
}

}  // namespace
}  // namespace exam
