#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

}  // namespace
}  // namespace exam::db
