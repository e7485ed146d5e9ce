#include <gtest/gtest.h>

#include "host/ServerHost.h"

namespace host {
namespace {

TEST(SessionCapTest, FollowsTheMemoryBudget) {
    const struct {
        std::size_t budget;
        std::size_t cap;
    } cases[] = {
        {std::size_t{1} << 30, 32768},  // the default: well above the old cap of the open files
        {std::size_t{2} << 30, 65536},
        {std::size_t{16} << 20, 512},
        {0, 16},
    };
    for (const auto& test : cases) EXPECT_EQ(SessionCapForMemory(test.budget), test.cap) << test.budget;
    EXPECT_LE(SessionCapForMemory(kDefaultSessionMemory) * kSessionCost, kDefaultSessionMemory);
}

}  // namespace
}  // namespace host
