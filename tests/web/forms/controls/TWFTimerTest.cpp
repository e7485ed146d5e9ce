#include "tests/web/forms/controls/BasicControlPage.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFTimer.h"
#include "web/server/Errors.h"

namespace web::forms::testing_pages {
namespace {

class TWFTimerTest : public BasicControlPage {
protected:
    TWFTimerTest() : timer(add<TWFTimer>("WFTimer1", 1)) {
        timer.Interval = 10000;
        timer.OnTimer = [this](TWFControl& sender) {
            ++ticks;
            EXPECT_EQ(&sender, &timer);
        };
    }

    TWFTimer& timer;
    int ticks = 0;
};

TEST_F(TWFTimerTest, EnabledTimerStartsItsDelayWhenThePageHasLoaded) {
    add<TWFLink>("WFLink1", 0).OnClick = [](TWFControl&) {};
    add<TWFLink>("WFLink2", 2).OnClick = [](TWFControl&) {};
    render();
    EXPECT_TRUE(
        initialize().ends_with("ReleaseLock();\r\n"
                               "WFTop().WFTIMER1_ID=setTimeout('WFTop().SubmitClickConfirm(\"WFTIMER1\",\"\","
                               " false,\"\")',10000);\r\n\r\n"))
        << initialize();
    // No element, style rule or layout object; the links around it share one wrapper.
    EXPECT_FALSE(contains(body() + styleRules() + pageScript() + layoutScript(), "WFTIMER1"));
    EXPECT_EQ(body().find("<form"), body().rfind("<form"));
}

TEST_F(TWFTimerTest, StoppedTimerOnlyClearsItsVariable) {
    for (bool enabled : {false, true}) {
        timer.Enabled = enabled;
        timer.Interval = enabled ? 0 : 1000;
        render();
        EXPECT_TRUE(contains(initialize(), "InitWFCLObjects();\r\nWFTop().WFTIMER1_ID=null;\r\n\r\n"));
        EXPECT_FALSE(contains(initialize(), "setTimeout"));
        if (enabled) {
            post({{"WF_Action", "WFTIMER1"}, {"WF_ActionParam", ""}});
        } else {
            // A disabled timer is out of reach of a post naming it.
            EXPECT_THROW(post({{"WF_Action", "WFTIMER1"}, {"WF_ActionParam", ""}}), web::EWFException);
        }
    }
    EXPECT_EQ(ticks, 0);
}

TEST_F(TWFTimerTest, EveryTimerPostFiresOnTimerOnceAfterTheValues) {
    auto& memo = add<TWFMemo>("WFMemo1");
    timer.OnTimer = [&](TWFControl&) {
        ++ticks;
        EXPECT_EQ(memo.Lines.Strings(), std::vector<std::string>{"typed"});
    };
    for (int i = 0; i < 2; ++i) {
        render();
        post({{"WFMEMO1", "typed"}, {"WF_Action", "WFTIMER1"}, {"WF_ActionParam", ""}});
    }
    EXPECT_EQ(ticks, 2);
}

}  // namespace
}  // namespace web::forms::testing_pages
