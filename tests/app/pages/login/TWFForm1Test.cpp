#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/LoginThrottle.h"
#include "app/pages/login/TWFForm1.h"
#include "app/pages/home/TWFForm2.h"
#include "app/pages/examlist/TWFForm3.h"
#include "tests/app/pages/AdminPageTest.h"

namespace exam::pages::testing {
namespace {

class TWFForm1Test : public AdminPageTest {
protected:
    TWFForm1Test() {
        // The fixture's session has no client address; start every test with a clean record.
        LoginThrottle::Shared().Forget(session_.ClientIP());
        show<TWFForm1>();
    }
    ~TWFForm1Test() override { LoginThrottle::Shared().Forget(session_.ClientIP()); }

    std::vector<std::string> logIn(const std::string& password) {
        return click("WFBUTTON1", "", {{"WFEDIT1", password}});
    }
};

TEST_F(TWFForm1Test, ShowsTheLoginBoxWithAMaskedPasswordField) {
    const std::string html = render();
    EXPECT_NE(html.find("<title>登录管理平台---栎川考试系统</title>"), std::string::npos);
    EXPECT_NE(html.find("请输入管理密码"), std::string::npos);
    EXPECT_NE(html.find("【返回】"), std::string::npos);
    EXPECT_NE(html.find("type=\"PASSWORD\""), std::string::npos);
    EXPECT_NE(html.find("value=\"确定\""), std::string::npos);
    EXPECT_EQ(html.find("TWFFRAME101"), std::string::npos) << "the login page has no header";
}

TEST_F(TWFForm1Test, OnlyTheStoredPasswordLeadsOn) {
    struct Case {
        const char* typed;
        bool accepted;
    };
    const Case cases[] = {
        {" secret ", true},  // blanks around it are removed
        {"\tsecret\r\n", true},
        {"SECRET", true},  // the database's text equality ignores the case of Latin
                           // letters
        {"secre", false},
        {"secret'", false},
        {"' or '1'='1", false},
        {"", false},
    };
    for (const Case& c : cases) {
        show<TWFForm1>();
        LoginThrottle::Shared().Forget(session_.ClientIP());
        const std::vector<std::string> alerts = logIn(c.typed);
        if (c.accepted) {
            EXPECT_NE(activeAs<TWFForm3>(), nullptr) << c.typed;
            EXPECT_TRUE(alerts.empty()) << c.typed;
        } else {
            ASSERT_NE(activeAs<TWFForm1>(), nullptr) << c.typed;
            EXPECT_EQ(alerts, std::vector<std::string>{"密码错误！"}) << c.typed;
            EXPECT_EQ(activeAs<TWFForm1>()->WFEdit1->Text, c.typed) << "the edit keeps what was typed";
        }
    }
}

TEST_F(TWFForm1Test, TheEleventhAttemptAfterTenFailuresIsRefusedUnchecked) {
    for (int i = 0; i < 10; ++i) ASSERT_EQ(logIn("wrong"), std::vector<std::string>{"密码错误！"}) << i;
    EXPECT_EQ(logIn("secret"), std::vector<std::string>{"密码错误次数过多，请稍后再试！"});
    EXPECT_NE(activeAs<TWFForm1>(), nullptr);
    EXPECT_FALSE(LoginThrottle::Shared().Allowed(session_.ClientIP()));
    EXPECT_TRUE(LoginThrottle::Shared().Allowed("192.0.2.7")) << "other addresses still log in";
}

TEST_F(TWFForm1Test, ASuccessfulLoginDoesNotClearTheFailures) {
    for (int i = 0; i < 9; ++i) logIn("wrong");
    logIn("secret");
    ASSERT_NE(activeAs<TWFForm3>(), nullptr);
    show<TWFForm1>();
    EXPECT_EQ(logIn("wrong"), std::vector<std::string>{"密码错误！"});
    EXPECT_EQ(logIn("secret"), std::vector<std::string>{"密码错误次数过多，请稍后再试！"});
}

// Enter in the password field posts the field itself; it checks the password like the button.
TEST_F(TWFForm1Test, EnterInThePasswordFieldLogsIn) {
    const std::string html = render();
    EXPECT_NE(html.find("<label for=\"WFEDIT1\""), std::string::npos) << "the prompt names the field";
    EXPECT_NE(html.find("CheckReturnKey("), std::string::npos);
    EXPECT_EQ(click("WFEDIT1", "", {{"WFEDIT1", "wrong"}}), std::vector<std::string>{"密码错误！"});
    ASSERT_NE(activeAs<TWFForm1>(), nullptr);
    EXPECT_TRUE(click("WFEDIT1", "", {{"WFEDIT1", "secret"}}).empty());
    EXPECT_NE(activeAs<TWFForm3>(), nullptr);
}

TEST_F(TWFForm1Test, BackLeadsHomeWithoutAnyCheck) {
    EXPECT_TRUE(click("WFLINK1", "", {{"WFEDIT1", "wrong"}}).empty());
    EXPECT_NE(activeAs<TWFForm2>(), nullptr);
    EXPECT_TRUE(LoginThrottle::Shared().Allowed(session_.ClientIP()));
}

}  // namespace
}  // namespace exam::pages::testing
