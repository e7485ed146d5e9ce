#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <type_traits>

#include "app/db/DatabaseError.h"
#include "app/db/WriteGate.h"

namespace exam::db {
namespace {

TEST(WriteGateTest, HoldingThreadEntersAgainWhileOthersWaitForTheLastRelease) {
    WriteGateLock outer = enterWriteGate();
    WriteGateLock inner = enterWriteGate();  // would never return if the gate were not reentrant
    std::atomic<bool> entered = false;
    std::thread other([&] {
        const WriteGateLock lock = enterWriteGate();
        entered = true;
    });
    inner.release();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(entered);  // still held by `outer`
    outer.release();
    other.join();
    EXPECT_TRUE(entered);
}

// Re-entry is told by the thread, so a hold must stay where it was taken.
static_assert(!std::is_move_constructible_v<WriteGateLock> && !std::is_move_assignable_v<WriteGateLock>);

// Whether another thread gets through the gate within a moment.
bool othersGetIn() {
    bool entered = false;
    std::thread other([&] {
        try {
            const WriteGateLock probe(std::chrono::milliseconds(50));
            entered = true;
        } catch (const DatabaseError&) {
            entered = false;
        }
    });
    other.join();
    return entered;
}

TEST(WriteGateTest, OnlyTheThreadThatEnteredCanLeave) {
    WriteGateLock held = enterWriteGate();
    std::thread stranger([&] { EXPECT_THROW(held.release(), std::logic_error); });
    stranger.join();
    EXPECT_TRUE(held.ownsGate());
    EXPECT_FALSE(othersGetIn()) << "a stranger's release must not open the gate";
    held.release();
    EXPECT_FALSE(held.ownsGate());
    EXPECT_TRUE(othersGetIn());
}

TEST(WriteGateTest, BoundedWaitGivesUpWithDatabaseLocked) {
    const WriteGateLock held = enterWriteGate();
    std::thread other([] {
        try {
            const WriteGateLock late(std::chrono::milliseconds(20));
            ADD_FAILURE() << "entered a held gate";
        } catch (const DatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find("database is locked"), std::string::npos)
                << error.what();
        }
    });
    other.join();
}

}  // namespace
}  // namespace exam::db
