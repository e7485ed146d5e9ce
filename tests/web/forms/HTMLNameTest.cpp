#include <gtest/gtest.h>

#include "web/forms/HTMLName.h"

namespace web::forms {
namespace {

TEST(HTMLNameTest, ControlsOnThePageOrInRegionsKeepTheirName) {
    std::string pageSuffix;
    std::string regionSuffix = containerSuffix("", pageSuffix);
    EXPECT_EQ(htmlName("WFEdit1", {true, pageSuffix, ""}), "WFEDIT1");
    EXPECT_EQ(htmlName("WFEdit1", {true, regionSuffix, ""}), "WFEDIT1");
    EXPECT_EQ(htmlName("WFRegion1", {true, pageSuffix, ""}), "WFREGION1");
}

TEST(HTMLNameTest, ControlsInAFrameCarryTheFrameInstanceName) {
    std::string frameRegionSuffix = containerSuffix("TWFFrame111", "");
    EXPECT_EQ(htmlName("WFLabel1", {true, frameRegionSuffix, "TWFFrame111"}), "WFLABEL1TWFFRAME111");
    // A region nested in the frame's region is owned by the frame as well.
    std::string nestedSuffix = containerSuffix("TWFFrame111", frameRegionSuffix);
    EXPECT_EQ(htmlName("WFLink2", {true, nestedSuffix, "TWFFrame111"}), "WFLINK2TWFFRAME111");
    // The frame's region sits in the frame, which is no container.
    EXPECT_EQ(htmlName("WFFrameRegion", {false, "", "TWFFrame111"}), "TWFFRAME111WFFRAMEREGION");
}

TEST(HTMLNameTest, RegionsWithoutFrameHandDownTheirParentsSuffix) {
    EXPECT_EQ(containerSuffix("", "TWFFRAME101"), "TWFFRAME101");
    EXPECT_EQ(htmlName("xA", {true, containerSuffix("", "TWFFRAME101"), ""}), "XATWFFRAME101");
}

TEST(HTMLNameTest, ComponentsOutsideContainersAndFrames) {
    EXPECT_EQ(htmlName("WFTimer1", {}), "WFTIMER1");
}

TEST(HTMLNameTest, ClientLayoutNames) {
    EXPECT_EQ(clientLayoutName("WFLABEL1TWFFRAME111"), "WFLABEL1TWFFRAME111WFCL");
    EXPECT_EQ(kFormLayoutName, "WFCLForm");
}

}  // namespace
}  // namespace web::forms
