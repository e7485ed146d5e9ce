#include <gtest/gtest.h>

#include "web/server/Errors.h"
#include "web/server/TWFBrowser.h"
#include "web/server/TWFServerControllerBase.h"

namespace web {
namespace {

using B = TWFBrowser;
using M = TWFRenderMode;

struct AgentCase {
    const char* userAgent;
    TWFBrowser expected;
};

TEST(DetectBrowserTest, ClassifiesUserAgents) {
    const AgentCase cases[] = {
        {"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)", B::brIE},
        {"Mozilla/4.0 (compatible; MSIE 4.01; Windows 98)", B::brIE4},
        {"Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.0.2) Gecko/20021120 Netscape/7.01",
         B::brNetscape7},
        {"Mozilla/5.0 (Windows; U; Win98; en-US; rv:0.9.4) Gecko/20011019 Netscape6/6.2", B::brNetscape6},
        {"Mozilla/5.0 (Windows; U; rv:1.1) Gecko/20020823", B::brNetscape7},
        {"Mozilla/5.0 (Windows; U; rv:1.1) Gecko/20020822", B::brNetscape6},
        {"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1) Opera 7.54 [en]", B::brOpera},
        {"Mozilla/5.0 (Macintosh; PPC Mac OS X; en) AppleWebKit/125.2 (KHTML, like Gecko) Safari/125.8",
         B::brSafari},
        {"Mozilla/5.0 (compatible; Konqueror/3.1; Linux)", B::brSafari},
        {"Mozilla/4.7 [en] (WinNT; I)", B::brNetscape4},
        {"Mozilla/4.5 [en] (Win95; I)", B::brNetscape4},
        {"Mozilla/2.02 (Win95; I)", B::brOther},
        {"Mozilla/4.0 (compatible; MSIE 3.02; Windows 95)", B::brOther},
        {"Nokia6600/1.0 (4.03.24) SymbianOS/6.1 Series60/2.0", B::brWAP},
        {"SonyEricssonT610/R201 Profile/MIDP-1.0", B::brWAP},
        {"curl/8.4.0", B::brOther},
        {"", B::brOther},
        {"HTML 3.2", B::brHTML32Test},
        {"wml", B::brWMLTest},
        {"XHTML MP", B::brXHTMLMPTest},
        // Current browsers: Chromium-based ones name Safari, Firefox carries a fixed Gecko date,
        // and the last Internet Explorer only says "like Gecko".
        {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0.0.0 "
         "Safari/537.36 Edg/124.0.0.0",
         B::brSafari},
        {"Mozilla/5.0 (X11; Linux x86_64; rv:125.0) Gecko/20100101 Firefox/125.0", B::brNetscape7},
        {"Mozilla/5.0 (Windows NT 6.1; Trident/7.0; rv:11.0) like Gecko", B::brNetscape7},
    };
    for (const AgentCase& c : cases) EXPECT_EQ(DetectBrowser(c.userAgent), c.expected) << c.userAgent;
}

TEST(DetectBrowserTest, WapOnlyApplicationsTreatHtmlBrowsersAsXhtmlMp) {
    EXPECT_EQ(DetectBrowser("Mozilla/4.0 (compatible; MSIE 6.0)", true), B::brXHTMLMPTest);
    EXPECT_EQ(DetectBrowser("Mozilla/5.0 Gecko/20011019", true), B::brXHTMLMPTest);
    EXPECT_EQ(DetectBrowser("Mozilla/5.0 AppleWebKit (KHTML, like Gecko) Safari/537", true), B::brSafari);
    EXPECT_EQ(DetectBrowser("", true), B::brOther);
}

TEST(DetectBrowserTest, ModernBrowsersGetHtml40Pages) {
    TWFBrowser32Behaviour asDesigned;
    for (const char* agent : {"Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
                              "Chrome/124.0.0.0 Safari/537.36",
                              "Mozilla/5.0 (X11; Linux x86_64; rv:125.0) Gecko/20100101 Firefox/125.0"}) {
        EXPECT_EQ(DecideRenderMode(DetectBrowser(agent), agent, TWFUnknownBrowserAction::ubReject, asDesigned,
                                   defaultSupportedBrowsers()),
                  M::HTML40)
            << agent;
    }
}

TEST(DecideRenderModeTest, ModePerKindWithTheApplicationsSettings) {
    const std::pair<TWFBrowser, TWFRenderMode> cases[] = {
        {B::brUnknown, M::None},      {B::brIE, M::HTML40},        {B::brNetscape7, M::HTML40},
        {B::brOpera, M::HTML40},      {B::brSafari, M::HTML40},    {B::brIE4, M::HTML32},
        {B::brNetscape6, M::HTML32},  {B::brNetscape4, M::HTML32}, {B::brOther, M::HTML32},
        {B::brHTML32Test, M::HTML32}, {B::brWMLTest, M::WAP},      {B::brXHTMLMPTest, M::WAP},
        {B::brWAP, M::WAP},
    };
    for (auto [kind, mode] : cases) {
        EXPECT_EQ(DecideRenderMode(kind, "agent", TWFUnknownBrowserAction::ubReject, {},
                                   defaultSupportedBrowsers()),
                  mode)
            << static_cast<int>(kind);
    }
}

TEST(DecideRenderModeTest, OlderBrowsersGetHtml40WhenTheirFlagIsOff) {
    TWFBrowser32Behaviour off{false, false, false};
    EXPECT_EQ(DecideRenderMode(B::brNetscape6, "ua", TWFUnknownBrowserAction::ubReject, off,
                               defaultSupportedBrowsers()),
              M::HTML40);
    // Netscape 4 is not among the supported browsers, so the HTML 4.0 check refuses it.
    EXPECT_THROW(DecideRenderMode(B::brNetscape4, "ua", TWFUnknownBrowserAction::ubReject, off,
                                  defaultSupportedBrowsers()),
                 EUnknownBrowserException);
    TWFBrowsers withNetscape4 = defaultSupportedBrowsers();
    withNetscape4.insert(B::brNetscape4);
    EXPECT_EQ(DecideRenderMode(B::brNetscape4, "ua", TWFUnknownBrowserAction::ubReject, off, withNetscape4),
              M::HTML40);
}

TEST(DecideRenderModeTest, KindsOutsideTheTableFollowTheUnknownBrowserAction) {
    auto unknown = static_cast<TWFBrowser>(13);
    TWFBrowsers all = defaultSupportedBrowsers();
    EXPECT_EQ(DecideRenderMode(unknown, "ua", TWFUnknownBrowserAction::ub32, {}, all), M::HTML32);
    EXPECT_EQ(DecideRenderMode(unknown, "ua", TWFUnknownBrowserAction::ubWAP, {}, all), M::WAP);
    try {
        DecideRenderMode(unknown, "ua", TWFUnknownBrowserAction::ubReject, {}, all);
        FAIL() << "rejected kinds must fail";
    } catch (const EWFException& error) {
        EXPECT_STREQ(error.what(), "Unknown browser type.");
    }
}

TEST(DecideRenderModeTest, ReadsTheControllersSettings) {
    TWFServerControllerBase controller;
    EXPECT_EQ(DecideRenderMode(B::brIE4, "ua", controller), M::HTML32);
    controller.Netscape6As32 = false;
    EXPECT_EQ(DecideRenderMode(B::brNetscape6, "ua", controller), M::HTML40);
    controller.SupportedBrowsers = {B::brIE};
    EXPECT_THROW(DecideRenderMode(B::brSafari, "ua", controller), EUnknownBrowserException);
}

TEST(CheckBrowserTest, ListsTheRequiredBrowsersInValueOrder) {
    try {
        CheckBrowser(B::brNetscape4, defaultSupportedBrowsers(), "Mozilla/4.7 [en]");
        FAIL() << "Netscape 4 is not supported";
    } catch (const EUnknownBrowserException& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Your browser was detected as Netscape 4, identifying itself as Mozilla/4.7 [en].\r\n"
                  "One of the following browsers is required:\r\n"
                  "* Internet Explorer\r\n* Netscape 7 or higher (Gecko)\r\n* Opera\r\n* Safari\r\n"
                  "* Netscape 6 (Gecko)\r\n");
        EXPECT_FALSE(error.pageCapable());
    }
}

TEST(CheckBrowserTest, PassesMembersAndFlagsPageCapableKinds) {
    EXPECT_NO_THROW(CheckBrowser(B::brOpera, defaultSupportedBrowsers(), "Opera"));
    try {
        CheckBrowser(B::brSafari, {B::brIE}, "Safari");
        FAIL() << "Safari is not in the set";
    } catch (const EUnknownBrowserException& error) {
        EXPECT_TRUE(error.pageCapable());
        EXPECT_TRUE(std::string(error.what()).ends_with("required:\r\n* Internet Explorer\r\n"));
    }
}

TEST(BrowserNameTest, NamesKindsAndRefusesExplorer4) {
    EXPECT_EQ(browserName(B::brUnknown), "Unknown or Unrecognized");
    EXPECT_EQ(browserName(B::brWAP), "Generic WAP Browser");
    EXPECT_EQ(browserName(B::brHTML32Test), "HTML 32 Test");
    try {
        browserName(B::brIE4);
        FAIL() << "Internet Explorer 4 has no name";
    } catch (const EWFException& error) {
        EXPECT_STREQ(error.what(), "Unknown browser type.");
    }
}

TEST(TWFBrowsersTest, HoldsOnlyKindsOfTheTable) {
    TWFBrowsers set{B::brIE, B::brWAP};
    EXPECT_TRUE(set.contains(B::brWAP));
    EXPECT_FALSE(set.contains(B::brUnknown));
    set.insert(static_cast<TWFBrowser>(40)).erase(B::brIE);
    EXPECT_FALSE(set.contains(static_cast<TWFBrowser>(40)));
    EXPECT_EQ(set, TWFBrowsers{B::brWAP});
}

}  // namespace
}  // namespace web
