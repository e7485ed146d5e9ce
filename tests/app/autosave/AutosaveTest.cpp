#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/autosave/Autosave.h"
#include "tests/app/db/TestDatabase.h"

namespace exam {
namespace {

using db::testing::TempFolder;
constexpr std::int64_t kDay = 24 * 3600;

AnswerSheet answered(const std::string& name) {
    AnswerSheet sheet("3", "", {"10", "11"});
    sheet.recordChoice(2);
    sheet.setName(name);
    return sheet;
}

class AutosaveTest : public ::testing::Test {
protected:
    AutosaveSettings settings() {
        AutosaveSettings result;
        result.file = folder_.file("autosave.db");
        result.now = [this] { return clock_.load(); };
        result.log = [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            log_ += line + "\n";
        };
        return result;
    }
    std::string log() {
        std::lock_guard lock(mutex_);
        return log_;
    }
    std::vector<std::string> filesLike(const std::string& prefix) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(prefix)) names.push_back(name);
        }
        return names;
    }

    TempFolder folder_;
    std::atomic<std::int64_t> clock_{1'800'000'000};
    std::mutex mutex_;
    std::string log_;
};

TEST_F(AutosaveTest, SavedSheetsOutliveTheProcessAndRemovedOnesDoNot) {
    {
        Autosave autosave(settings());
        ASSERT_TRUE(autosave.running());
        autosave.save("AbC123", answered("张三"));
        autosave.save("other", answered("李四"));
        autosave.save("gone", answered("王五"));
        autosave.remove("gone");
    }
    Autosave again(settings());
    // Ids are matched without regard to case, as the session table matches them.
    ASSERT_TRUE(again.load("abc123").has_value());
    EXPECT_EQ(*again.load("ABC123"), answered("张三"));
    EXPECT_EQ(again.load("other")->name(), "李四");
    EXPECT_FALSE(again.load("gone").has_value());
    EXPECT_FALSE(again.load("never").has_value());
}

// The exam's deadline is part of the saved sheet, so a restart neither lifts nor moves it.
TEST_F(AutosaveTest, DeadlineOfATimedPaperOutlivesTheProcess) {
    AnswerSheet timed = answered("张三");
    timed.setDeadline(1'800'000'600);
    {
        Autosave autosave(settings());
        autosave.save("timed", timed);
    }
    Autosave again(settings());
    ASSERT_TRUE(again.load("timed").has_value());
    EXPECT_EQ(again.load("timed")->deadline(), std::optional<std::int64_t>(1'800'000'600));
}

// A save returns only once its row is committed: another connection reads it at once,
// without the writer being stopped or the file closed.
TEST_F(AutosaveTest, SaveReturnsWithTheRowCommitted) {
    Autosave autosave(settings());
    autosave.save("s1", answered("张三"));
    AutosaveStore reader(settings().file, [](const std::string&) {});
    ASSERT_TRUE(reader.load("s1").has_value());
    EXPECT_EQ(AnswerSheet::restore(*reader.load("s1")), answered("张三"));
}

TEST_F(AutosaveTest, ConcurrentSavesShareCommitsAndAllArrive) {
    Autosave autosave(settings());
    constexpr int kThreads = 8;
    constexpr int kSaves = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kSaves; ++i)
                autosave.save("s" + std::to_string(t), answered(std::to_string(i)));
        });
    }
    for (auto& thread : threads) thread.join();
    const Autosave::Counters counters = autosave.counters();
    EXPECT_EQ(counters.rows, std::uint64_t{kThreads * kSaves});
    EXPECT_LE(counters.commits, counters.rows);
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(autosave.load("s" + std::to_string(t))->name(), "24");
}

// A move costs no commit of its own: it is written with the session's next save, or at the
// next sync, and never after a removal of the session; stopping writes it too.
TEST_F(AutosaveTest, AMoveIsWrittenWithTheNextSaveOrTheNextSyncAndNeverRevivesARemovedSheet) {
    AnswerSheet moved = answered("张三");
    moved.next();
    {
        AutosaveSettings slow = settings();
        slow.syncInterval = std::chrono::hours(1);
        Autosave autosave(slow);
        autosave.save("s1", answered("张三"));
        autosave.saveMove("s1", moved);
        EXPECT_EQ(autosave.load("s1")->current(), 0) << "a move waits for the next save";
        AnswerSheet answeredThere = moved;
        answeredThere.recordChoice(0);
        autosave.save("s1", answeredThere);
        EXPECT_EQ(autosave.load("s1"), answeredThere);

        autosave.save("gone", answered("李四"));
        autosave.saveMove("gone", moved);
        autosave.remove("gone");
        autosave.saveMove("kept", moved);  // written when the autosave stops
    }
    {
        Autosave again(settings());
        EXPECT_FALSE(again.load("gone").has_value());
        EXPECT_EQ(again.load("kept"), moved);
    }
    AutosaveSettings quick = settings();
    quick.syncInterval = std::chrono::milliseconds(50);
    Autosave autosave(quick);
    AnswerSheet back = moved;
    back.previous();
    autosave.saveMove("kept", back);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (autosave.load("kept")->current() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(autosave.load("kept"), back) << "a move is written at the next sync";
}

// Sheets of sessions that ended without a hand-in are kept for `keep` after their last
// save: removed at start once older, kept when exactly that old.
TEST_F(AutosaveTest, ExpiredSheetsAreRemovedAtStart) {
    {
        Autosave autosave(settings());
        autosave.save("old", answered("甲"));
        clock_ += 1;
        autosave.save("edge", answered("乙"));
        clock_ += 3600;
        autosave.save("young", answered("丙"));
    }
    clock_ += kDay - 3600;
    Autosave later(settings());
    EXPECT_FALSE(later.load("old").has_value());
    EXPECT_TRUE(later.load("edge").has_value());
    EXPECT_TRUE(later.load("young").has_value());
    EXPECT_NE(log().find("Removed 1 expired autosaved papers."), std::string::npos) << log();
}

TEST_F(AutosaveTest, ExpiredSheetsAreRemovedWhileRunning) {
    AutosaveSettings quick = settings();
    quick.purgeInterval = std::chrono::seconds(0);
    quick.syncInterval = std::chrono::milliseconds(20);
    quick.keep = std::chrono::seconds(60);
    Autosave autosave(quick);
    autosave.save("old", answered("甲"));
    clock_ += 61;
    autosave.save("new", answered("乙"));
    AutosaveStore reader(quick.file, [](const std::string&) {});
    for (int i = 0; i < 200 && reader.load("old"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(reader.load("old").has_value());
    EXPECT_TRUE(reader.load("new").has_value());
}

TEST_F(AutosaveTest, DamagedFileIsSetAsideAndANewOneUsed) {
    struct Case {
        const char* title;
        std::function<void(const std::filesystem::path&)> damage;
    };
    const Case cases[] = {
        {"not a database",
         [](const std::filesystem::path& file) { std::ofstream(file) << std::string(5000, 'x'); }},
        {"pages overwritten",
         [](const std::filesystem::path& file) {
             std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
             bytes.seekp(4096);
             const std::string junk(8192, '\x5a');
             bytes.write(junk.data(), static_cast<std::streamsize>(junk.size()));
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.title);
        for (const std::string& name : filesLike("autosave.db"))
            std::filesystem::remove(folder_.path() / name);
        {
            Autosave autosave(settings());
            for (int i = 0; i < 40; ++i)
                autosave.save("s" + std::to_string(i), answered(std::string(200, 'n')));
        }
        test.damage(settings().file);
        Autosave autosave(settings());
        ASSERT_TRUE(autosave.running()) << log();
        const std::vector<std::string> aside = filesLike("autosave.db.corrupt-");
        ASSERT_EQ(aside.size(), 1u) << log();
        EXPECT_NE(log().find("was damaged; it was renamed to"), std::string::npos) << log();
        EXPECT_FALSE(autosave.load("s1").has_value());
        autosave.save("fresh", answered("张三"));
        EXPECT_EQ(autosave.load("fresh")->name(), "张三");
        std::filesystem::remove(folder_.path() / aside[0]);
    }
}

// Without a usable file the exam goes on: saves return at once and nothing resumes.
TEST_F(AutosaveTest, UnusableFileNeverStopsAnExam) {
    struct Case {
        const char* title;
        std::filesystem::path file;
    };
    sqlite3* holder = nullptr;
    const std::filesystem::path locked = folder_.file("locked.db");
    ASSERT_EQ(sqlite3_open(locked.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; CREATE TABLE t(x); BEGIN EXCLUSIVE;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const Case cases[] = {{"folder missing", folder_.file("missing") / "autosave.db"}, {"locked", locked}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.title);
        AutosaveSettings unusable = settings();
        unusable.file = test.file;
        Autosave autosave(unusable);
        EXPECT_FALSE(autosave.running());
        autosave.save("s1", answered("张三"));
        EXPECT_FALSE(autosave.load("s1").has_value());
        EXPECT_NE(log().find("cannot be used"), std::string::npos) << log();
    }
    sqlite3_close(holder);
    EXPECT_FALSE(std::filesystem::exists(folder_.file("missing")));
}

TEST_F(AutosaveTest, UnreadableRowIsRemovedWhenLoaded) {
    Autosave autosave(settings());
    {
        AutosaveStore writer(settings().file, [](const std::string&) {});
        writer.apply({{"bad", std::string("answersheet 1\nexam x"), clock_.load()}});
    }
    EXPECT_FALSE(autosave.load("bad").has_value());
    AutosaveStore reader(settings().file, [](const std::string&) {});
    EXPECT_FALSE(reader.load("bad").has_value());
}

}  // namespace
}  // namespace exam
