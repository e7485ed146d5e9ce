#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/LoginThrottle.h"

namespace exam {
namespace {

using namespace std::chrono_literals;

class LoginThrottleTest : public ::testing::Test {
protected:
    LoginThrottle::Clock::time_point now_{};
    LoginThrottle throttle_{[this] { return now_; }};

    void fail(const std::string& address, int times) {
        for (int i = 0; i < times; ++i) throttle_.RecordFailure(address);
    }
};

TEST_F(LoginThrottleTest, TenFailuresLockTheAddressUntilTenMinutesAfterTheLast) {
    fail("10.0.0.1", 9);
    EXPECT_TRUE(throttle_.Allowed("10.0.0.1"));
    now_ += 5min;
    fail("10.0.0.1", 1);
    EXPECT_FALSE(throttle_.Allowed("10.0.0.1"));
    now_ += 10min - 1s;
    EXPECT_FALSE(throttle_.Allowed("10.0.0.1")) << "the lock runs from the last failure";
    now_ += 1s;
    EXPECT_TRUE(throttle_.Allowed("10.0.0.1"));
    fail("10.0.0.1", 1);
    EXPECT_TRUE(throttle_.Allowed("10.0.0.1")) << "the old failures are out of the window";
}

TEST_F(LoginThrottleTest, OnlyFailuresWithinTenMinutesCount) {
    fail("10.0.0.1", 5);
    now_ += 10min;
    fail("10.0.0.1", 9);
    EXPECT_TRUE(throttle_.Allowed("10.0.0.1"));
    now_ += 9min;
    fail("10.0.0.1", 1);
    EXPECT_FALSE(throttle_.Allowed("10.0.0.1"));
}

TEST_F(LoginThrottleTest, OtherAddressesAreNotAffected) {
    fail("10.0.0.1", 10);
    EXPECT_FALSE(throttle_.Allowed("10.0.0.1"));
    EXPECT_TRUE(throttle_.Allowed("10.0.0.2"));
    fail("10.0.0.2", 9);
    EXPECT_TRUE(throttle_.Allowed("10.0.0.2"));
}

TEST_F(LoginThrottleTest, ForgettingGivesTheAddressAFreshStart) {
    fail("10.0.0.1", 10);
    throttle_.Forget("10.0.0.1");
    fail("10.0.0.1", 9);
    EXPECT_TRUE(throttle_.Allowed("10.0.0.1"));
}

TEST(LoginThrottleBoundTest, KeepsAtMostItsBoundDroppingExpiredThenOldestAddresses) {
    LoginThrottle::Clock::time_point now{};
    LoginThrottle throttle([&] { return now; }, 3);
    for (int i = 0; i < 10; ++i) throttle.RecordFailure("locked");
    now += 1min;
    throttle.RecordFailure("b");
    now += 1min;
    throttle.RecordFailure("c");
    now += 1min;
    throttle.RecordFailure("d");
    EXPECT_EQ(throttle.TrackedAddresses(), 3u);
    EXPECT_TRUE(throttle.Allowed("locked")) << "the address that failed longest ago made room";

    for (int i = 0; i < 10; ++i) throttle.RecordFailure("e");
    now += 10min;
    throttle.RecordFailure("f");
    throttle.RecordFailure("g");
    EXPECT_EQ(throttle.TrackedAddresses(), 2u) << "expired addresses are dropped first";
}

TEST(LoginThrottleThreadsTest, FailuresFromManyThreadsAreAllCounted) {
    LoginThrottle throttle;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&throttle, t] {
            for (int i = 0; i < 200; ++i) throttle.RecordFailure("addr" + std::to_string((t * 200 + i) % 50));
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(throttle.TrackedAddresses(), 50u);
    for (int a = 0; a < 50; ++a) EXPECT_FALSE(throttle.Allowed("addr" + std::to_string(a)));
}

}  // namespace
}  // namespace exam
