#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/HostTexts.h"
#include "app/VendorServices.h"
#include "host/TForm9.h"

namespace host {
namespace {

using namespace std::chrono_literals;

// Records what the window asks of its platform; the version text is given or missing.
struct FakePlatform {
    std::optional<std::string> versionText;
    bool launchFails = false;
    std::vector<std::string> fetched, messages, navigated, launched;

    TForm9Platform platform() {
        return {[this](const std::string& url, std::stop_token) {
                    fetched.push_back(url);
                    if (!versionText) throw std::runtime_error("no connection");
                    return *versionText;
                },
                [this](const std::string& text) { messages.push_back(text); },
                [this](const std::string& url) { navigated.push_back(url); },
                [this](const std::string& url) {
                    if (launchFails) throw std::runtime_error("no browser here");
                    launched.push_back(url);
                }};
    }
};

class TForm9Test : public ::testing::Test {
protected:
    void SetUp() override {
        exam::SetVendorAddress("http://vendor.test");
        exam::RestoreBuiltInMemo1Lines();
    }
    void TearDown() override {
        exam::RestoreBuiltInMemo1Lines();
        exam::UseThisServerAsVendor();
    }

    FakePlatform fake_;
};

TEST_F(TForm9Test, TextsNameThePortInUse) {
    TForm9 window(8089, fake_.platform());
    const TForm9Texts& texts = window.Texts();
    EXPECT_EQ(texts.caption, "栎川在线(Web site)考试系统  V 1.0");
    EXPECT_EQ(texts.label1 + texts.mver, "VER:1.1");
    EXPECT_EQ(texts.label5,
              "本系统为网络版，运行后可以在局域网内能连接到本计算机的任意计算机通过网页浏览器访问，"
              "访问地址为：http://本计算机IP地址：8089 ");
    EXPECT_EQ(texts.label2, "服务已经运行，请在浏览器中进行操作，端口号：8089");
    EXPECT_EQ(texts.label4, "【本机打开】");
    EXPECT_EQ(texts.label3, "【在线手册】");
}

TEST_F(TForm9Test, PrintsTheTextsAndTheKeysWhenItTakesKeys) {
    TForm9 window(8089, fake_.platform());
    std::ostringstream withKeys, withoutKeys;
    window.PrintTexts(withKeys, true);
    window.PrintTexts(withoutKeys, false);
    EXPECT_EQ(withoutKeys.str().find("栎川在线(Web site)考试系统  V 1.0\nVER:1.1\n"), 0u);
    EXPECT_NE(withoutKeys.str().find("\n服务已经运行，请在浏览器中进行操作，端口号：8089\n"),
              std::string::npos);
    EXPECT_EQ(withKeys.str(),
              withoutKeys.str() +
                  "Keys: o + Enter 【本机打开】, m + Enter 【在线手册】, q + Enter closes the server.\n");
}

struct VersionCase {
    const char* name;
    std::string versionText;
    std::vector<std::string> messages;
    bool news;
    exam::TextLines lines;
};

TEST_F(TForm9Test, VersionCheckFollowsTheAnnouncedVersion) {
    const std::vector<VersionCase> cases = {
        {"equal", "1.1\r\n有新版本\r\nm\r\nhttp://next/", {}, true, {"1.1", "有新版本", "m", "http://next/"}},
        {"newer", "1.2\r\n有新版本\r\n", {"有新版本"}, true, {"1.2", "有新版本"}},
        {"older", "1.0\r\n有新版本", {}, true, {"1.0", "有新版本"}},
        {"much newer, whole number", "2\r\nupgrade", {"upgrade"}, true, {"2", "upgrade"}},
        {"blanks around the number", " 1.2 \r\nupgrade", {"upgrade"}, true, {" 1.2 ", "upgrade"}},
        {"lines ended by LF only",
         "1.2\nupgrade\n\nhome\n",
         {"upgrade"},
         true,
         {"1.2", "upgrade", "", "home"}},
        {"newer without message line", "1.5", {}, false, {"1.5"}},
        {"newer without message line, line end", "1.5\r\n", {}, false, {"1.5"}},
        {"not a number", "version 2\r\nupgrade", {}, false, {"version 2", "upgrade"}},
        {"comma as point", "1,2\r\nupgrade", {}, false, {"1,2", "upgrade"}},
        {"number with tail", "1.2b\r\nupgrade", {}, false, {"1.2b", "upgrade"}},
        {"empty line 0", "\r\nupgrade", {}, false, {"", "upgrade"}},
        {"empty text", "", {}, false, {}},
    };
    for (const VersionCase& check : cases) {
        FakePlatform fake;
        fake.versionText = check.versionText;
        TForm9 window(89, fake.platform());
        window.FormShow();
        EXPECT_EQ(fake.messages, check.messages) << check.name;
        std::vector<std::string> news;
        if (check.news) news.push_back("http://vendor.test/zxtest/mshow.html");
        EXPECT_EQ(fake.navigated, news) << check.name;
        EXPECT_EQ(*exam::Memo1Lines(), check.lines) << check.name;
    }
}

TEST_F(TForm9Test, VersionTextComesFromTheVendorAddress) {
    exam::SetVendorAddress("http://127.0.0.1:9999/vendor");
    fake_.versionText = "1.1";
    TForm9 window(89, fake_.platform());
    window.FormShow();
    EXPECT_EQ(fake_.fetched, std::vector<std::string>{"http://127.0.0.1:9999/vendor/zxtest/testver.txt"});
    EXPECT_EQ(fake_.navigated, std::vector<std::string>{"http://127.0.0.1:9999/vendor/zxtest/mshow.html"});
}

TEST_F(TForm9Test, FailedDownloadKeepsTheBuiltInListAndShowsNothing) {
    TForm9 window(89, fake_.platform());
    window.FormShow();
    EXPECT_EQ(fake_.fetched.size(), 1u);
    EXPECT_TRUE(fake_.messages.empty());
    EXPECT_TRUE(fake_.navigated.empty());
    EXPECT_EQ(*exam::Memo1Lines(), exam::BuiltInMemo1Lines());
    EXPECT_EQ(exam::Memo1Line(3).value_or("missing"), "/");
}

TEST_F(TForm9Test, DownloadedLine3SendsCandidatesElsewhere) {
    fake_.versionText =
        "1.1\r\n有新版本\r\nhttp://vendor.test/zxtest/manual.html\r\nhttp://next.example/\r\n";
    TForm9 window(89, fake_.platform());
    window.FormShow();
    EXPECT_EQ(exam::Memo1Line(3).value_or("missing"), "http://next.example/");
}

TEST_F(TForm9Test, KeysOpenTheSystemAndTheManualAndClose) {
    TForm9 window(8089, fake_.platform());
    std::ostringstream errors;
    EXPECT_FALSE(window.HandleKey("o", errors));
    EXPECT_FALSE(window.HandleKey(" M \r", errors));
    EXPECT_FALSE(window.HandleKey("x", errors));
    EXPECT_FALSE(window.HandleKey("", errors));
    EXPECT_TRUE(window.HandleKey("q", errors));
    EXPECT_TRUE(window.HandleKey("Q", errors));
    EXPECT_EQ(fake_.launched,
              (std::vector<std::string>{"http://127.0.0.1:8089", "http://vendor.test/zxtest/manual/"}));
    EXPECT_EQ(errors.str(), "");
}

TEST_F(TForm9Test, ReadKeysStopsAtQOrAtTheEndOfInput) {
    TForm9 window(89, fake_.platform());
    std::ostringstream errors;
    std::istringstream closing("o\nq\nm\n");
    EXPECT_TRUE(window.ReadKeys(closing, errors));
    std::istringstream ending("m\n");
    EXPECT_FALSE(window.ReadKeys(ending, errors));
    EXPECT_EQ(fake_.launched,
              (std::vector<std::string>{"http://127.0.0.1:89", "http://vendor.test/zxtest/manual/"}));
}

TEST_F(TForm9Test, BrowserThatCannotStartIsReportedAndTheKeysGoOn) {
    fake_.launchFails = true;
    TForm9 window(89, fake_.platform());
    std::ostringstream errors;
    EXPECT_FALSE(window.HandleKey("o", errors));
    EXPECT_EQ(errors.str(), "no browser here\n");
    EXPECT_TRUE(window.HandleKey("q", errors));
}

TEST_F(TForm9Test, ClosingStopsAVersionCheckStillWaiting) {
    std::promise<void> started;
    std::mutex mutex;
    std::condition_variable_any woken;
    bool sawStop = false;
    TForm9Platform platform = fake_.platform();
    platform.fetch = [&](const std::string&, std::stop_token stop) -> std::string {
        started.set_value();
        std::unique_lock lock(mutex);
        sawStop = woken.wait_for(lock, stop, 10s, [] { return false; }) || stop.stop_requested();
        throw std::runtime_error("cancelled");
    };
    {
        TForm9 window(89, std::move(platform));
        window.Show();
        ASSERT_EQ(started.get_future().wait_for(10s), std::future_status::ready);
    }
    EXPECT_TRUE(sawStop);
    EXPECT_EQ(*exam::Memo1Lines(), exam::BuiltInMemo1Lines());
}

TEST(ConsolePlatformTest, MessageIsPrintedWithoutControlCharacters) {
    std::ostringstream out;
    ConsolePlatform(out).showMessage("有新版本\x1b]0;title\x07\r请升级");
    EXPECT_EQ(out.str(), "有新版本]0;title请升级\n");
}

}  // namespace
}  // namespace host
