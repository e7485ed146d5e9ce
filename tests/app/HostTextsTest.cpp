#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/HostTexts.h"
#include "app/VendorServices.h"

namespace exam {
namespace {

class HostTextsTest : public ::testing::Test {
protected:
    void SetUp() override { RestoreBuiltInMemo1Lines(); }
    void TearDown() override {
        RestoreBuiltInMemo1Lines();
        UseThisServerAsVendor();
    }
};

TEST_F(HostTextsTest, BuiltInListSendsCandidatesHome) {
    SetVendorAddress("http://vendor.test");
    TextLines expected = {
        "1.0", "当前不是最新版本，请及时升级到最新版本", "http://vendor.test/zxtest/manual.html",
        "/",   "http://vendor.test/zxtest/up.asp",       "http://vendor.test/zxtest/mshow.html"};
    EXPECT_EQ(*Memo1Lines(), expected);
    EXPECT_EQ(Memo1Line(3).value_or("missing"), "/");
}

TEST_F(HostTextsTest, PublishedListReplacesTheWholeList) {
    PublishMemo1Lines({"1.3", "upgrade", "manual", "http://next.example/"});
    EXPECT_EQ(Memo1Lines()->size(), 4u);
    EXPECT_EQ(Memo1Line(3).value_or("missing"), "http://next.example/");
    EXPECT_FALSE(Memo1Line(4).has_value());
    RestoreBuiltInMemo1Lines();
    EXPECT_EQ(Memo1Line(3).value_or("missing"), "/");
}

TEST_F(HostTextsTest, ReaderKeepsTheListItHoldsAcrossAReplacement) {
    std::shared_ptr<const TextLines> held = Memo1Lines();
    PublishMemo1Lines({"2.0"});
    EXPECT_EQ(held->size(), 6u);
    EXPECT_EQ(Memo1Lines()->size(), 1u);
}

TEST_F(HostTextsTest, ReadersNeverSeeAHalfReplacedList) {
    const TextLines six(6, "six");
    const TextLines two(2, "two");
    std::atomic<bool> torn{false};
    PublishMemo1Lines(six);
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) PublishMemo1Lines(i % 2 == 0 ? six : two);
    });
    for (int i = 0; i < 2000; ++i) {
        std::shared_ptr<const TextLines> lines = Memo1Lines();
        bool whole = *lines == six || *lines == two;
        if (!whole) torn = true;
    }
    writer.join();
    EXPECT_FALSE(torn);
}

}  // namespace
}  // namespace exam
