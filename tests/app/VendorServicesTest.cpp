#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/VendorServices.h"

namespace exam {
namespace {

class VendorServicesTest : public ::testing::Test {
protected:
    void TearDown() override { UseThisServerAsVendor(); }

    struct Page {
        const char* name;
        std::function<std::string()> address;
        const char* path;
    };

    static std::vector<Page> pages() {
        return {{"version text", VendorVersionTextAddress, "/zxtest/testver.txt"},
                {"news", VendorNewsAddress, "/zxtest/mshow.html"},
                {"manual", VendorManualAddress, "/zxtest/manual/"},
                {"manual page", VendorManualPageAddress, "/zxtest/manual.html"},
                {"banner", VendorBannerAddress, "/zxtest/bannerkhd.html"},
                {"home", VendorHomeAddress, "/home"},
                {"answer review", VendorAnswerReviewAddress, "/zxtest/up.asp"}};
    }
};

TEST_F(VendorServicesTest, WithoutSwitchEveryPageIsOnThisServer) {
    SetVendorAddress("http://elsewhere.example");
    UseThisServerAsVendor();
    EXPECT_TRUE(VendorIsThisServer());
    EXPECT_EQ(VendorAddress(), "");
    for (const Page& page : pages()) EXPECT_EQ(page.address(), page.path) << page.name;
}

TEST_F(VendorServicesTest, SwitchMovesEveryPageElsewhere) {
    SetVendorAddress("http://elsewhere.example");
    EXPECT_FALSE(VendorIsThisServer());
}

TEST_F(VendorServicesTest, SwitchReplacesTheAddressAndKeepsThePaths) {
    for (const char* given : {"http://127.0.0.1:8080", "http://127.0.0.1:8080/", "http://127.0.0.1:8080//"}) {
        SetVendorAddress(given);
        EXPECT_EQ(VendorAddress(), "http://127.0.0.1:8080") << given;
        for (const Page& page : pages()) {
            EXPECT_EQ(page.address(), std::string("http://127.0.0.1:8080") + page.path)
                << given << " " << page.name;
        }
    }
}

TEST_F(VendorServicesTest, AddressMayCarryAPathAndHttps) {
    SetVendorAddress("https://mirror.example/exam-vendor/");
    EXPECT_EQ(VendorHomeAddress(), "https://mirror.example/exam-vendor/home");
    EXPECT_EQ(VendorVersionTextAddress(), "https://mirror.example/exam-vendor/zxtest/testver.txt");
}

TEST_F(VendorServicesTest, RefusedAddressLeavesTheSettingAlone) {
    SetVendorAddress("http://kept.example");
    for (const char* bad :
         {"", "vendor.example", "ftp://vendor.example", "javascript:alert(1)", "http://", "http:///zxtest",
          "http://:8080", "http://vendor .example", "http://vendor.example/a b",
          "http://vendor.example\"onload=\"x", "http://vendor.example/<script>", "http://vendor.example/'",
          "http://vendor.example\r\nX: y", "http://vendor.example/?q=1", "http://vendor.example/#top"}) {
        EXPECT_THROW(SetVendorAddress(bad), std::invalid_argument) << bad;
    }
    EXPECT_EQ(VendorAddress(), "http://kept.example");
    EXPECT_EQ(VendorNewsAddress(), "http://kept.example/zxtest/mshow.html");
}

}  // namespace
}  // namespace exam
