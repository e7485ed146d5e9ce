#include "tests/web/forms/controls/BasicControlPage.h"
#include "web/forms/controls/TWFHRule.h"

namespace web::forms::testing_pages {
namespace {

using TWFHRuleTest = BasicControlPage;

TEST_F(TWFHRuleTest, RuleCarriesItsSizeWhenRenderSizeIsOnAndNoMarginInNetscape7) {
    auto& rule = add<TWFHRule>("WFHRule1");
    render();
    EXPECT_EQ(body(), "<hr width=\"100\" height=\"3\" class=\"WFHRULE1CSS\" id=\"WFHRULE1\">");
    EXPECT_TRUE(contains(styleRules(),
                         "z-index:100;width:100;height:3;font-style:normal;font-size:13px;"
                         "text-decoration: none;}"));
    rule.RenderSize = false;
    useBrowser(web::TWFBrowser::brNetscape7);
    render();
    EXPECT_EQ(body(), "<hr class=\"WFHRULE1CSS\" id=\"WFHRULE1\">");
    EXPECT_TRUE(contains(styleRules(), "text-decoration: none;margin:0;}"));
}

}  // namespace
}  // namespace web::forms::testing_pages
