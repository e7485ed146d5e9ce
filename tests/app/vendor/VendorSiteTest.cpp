#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "app/VendorServices.h"
#include "app/vendor/ProductInfo.h"
#include "app/vendor/VendorPages.h"
#include "app/vendor/VendorSite.h"

namespace exam::vendor {
namespace {

// A text as the review form's browser posts it: in the page's code page.
std::string gbk(const std::string& utf8) {
    iconv_t handle = iconv_open("GB18030", "UTF-8");
    std::string out(utf8.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    iconv(handle, &in, &inLeft, &to, &outLeft);
    iconv_close(handle);
    out.resize(out.size() - outLeft);
    return out;
}

web::TInHTTPAppRequest requestFor(const std::string& path, const std::string& method = "GET") {
    web::TInHTTPAppRequest request;
    request.method = method;
    request.path = path;
    return request;
}

web::TInHTTPAppRequest reviewPost(const std::vector<std::pair<std::string, std::string>>& fields) {
    web::TInHTTPAppRequest request = requestFor("/zxtest/up.asp", "POST");
    for (const auto& [name, value] : fields) {
        request.contentFields.add(name, gbk(value));
        request.body += name + "=" + value + "&";
    }
    return request;
}

class VendorSiteTest : public ::testing::Test {
protected:
    void SetUp() override { UseThisServerAsVendor(); }
    void TearDown() override { UseThisServerAsVendor(); }

    web::TInHTTPAppResponse answer(const web::TInHTTPAppRequest& request) {
        web::TInHTTPAppResponse response;
        EXPECT_TRUE(site_.Answer(request, response)) << request.path;
        return response;
    }

    VendorSite site_{{"第一中学 <实验部>"}};
};

TEST_F(VendorSiteTest, EveryVendorPathIsAnswered) {
    struct PathCase {
        const char* path;
        int status;
        const char* contentType;
    };
    const std::vector<PathCase> cases = {
        {"/zxtest/testver.txt", 200, "text/plain; charset=utf-8"},
        {"/ZXTEST/TestVer.txt", 200, "text/plain; charset=utf-8"},
        {"/zxtest/mshow.html", 200, "text/html; charset=utf-8"},
        {"/zxtest/bannerkhd.html", 200, "text/html; charset=utf-8"},
        {"/home", 200, "text/html; charset=utf-8"},
        {"/zxtest/manual/", 200, "text/html; charset=utf-8"},
        {"/zxtest/manual/install.html", 200, "text/html; charset=utf-8"},
        {"/zxtest/manual/trouble.html", 200, "text/html; charset=utf-8"},
        {"/zxtest/manual/manual.css", 200, "text/css; charset=utf-8"},
        {"/zxtest/manual/exam.png", 200, "image/png"},
        {"/zxtest/manual/nothing.html", 404, "text/html; charset=utf-8"},
        {"/zxtest/manual/../../gfx/Tp.gif", 404, "text/html; charset=utf-8"},
        {"/zxtest/manual/.hidden", 404, "text/html; charset=utf-8"},
        {"/zxtest/", 404, "text/html; charset=utf-8"},
        {"/zxtest/other.asp", 404, "text/html; charset=utf-8"},
        {"/zxtest/up.asp", 400, "text/html; charset=utf-8"},
    };
    for (const PathCase& check : cases) {
        web::TInHTTPAppResponse response = answer(requestFor(check.path));
        EXPECT_EQ(response.statusCode, check.status) << check.path;
        EXPECT_EQ(response.contentType, check.contentType) << check.path;
        EXPECT_TRUE(response.hasContent()) << check.path;
    }
}

TEST_F(VendorSiteTest, ManualAddressesLeadToTheManualFolder) {
    for (const char* path : {"/zxtest/manual.html", "/zxtest/manual"}) {
        web::TInHTTPAppResponse response = answer(requestFor(path));
        EXPECT_EQ(response.statusCode, 302) << path;
        EXPECT_EQ(response.location, "/zxtest/manual/") << path;
    }
}

TEST_F(VendorSiteTest, OtherPathsAndAnotherVendorAreLeftToTheDispatcher) {
    for (const char* path : {"/", "/EXEC/1/abc", "/homepage", "/home/x", "/zxtestx", "/files/bjcss.css"}) {
        web::TInHTTPAppResponse response;
        EXPECT_FALSE(site_.Answer(requestFor(path), response)) << path;
        EXPECT_FALSE(response.hasContent()) << path;
    }
    SetVendorAddress("http://vendor.example");
    web::TInHTTPAppResponse response;
    EXPECT_FALSE(site_.Answer(requestFor("/zxtest/testver.txt"), response));
}

TEST_F(VendorSiteTest, PagesForbidScriptsAndForeignFrames) {
    for (const char* path : {"/zxtest/up.asp", "/zxtest/bannerkhd.html", "/zxtest/mshow.html", "/home",
                             "/zxtest/manual/", "/zxtest/nothing"}) {
        web::TInHTTPAppResponse response = answer(requestFor(path));
        std::string policy = response.customHeaders.value("Content-Security-Policy");
        EXPECT_NE(policy.find("script-src 'none'"), std::string::npos) << path;
        EXPECT_NE(policy.find("frame-ancestors 'self'"), std::string::npos) << path;
        EXPECT_EQ(response.content.find("<script"), std::string::npos) << path;
    }
}

TEST_F(VendorSiteTest, VersionTextAnnouncesThisBuildAndSendsCandidatesHome) {
    web::TInHTTPAppRequest request = requestFor("/zxtest/testver.txt");
    request.headers.add("Host", "192.168.1.20:8089");
    EXPECT_EQ(answer(request).content,
              std::string(kProductVersion) +
                  "\r\n当前不是最新版本，请及时升级到最新版本\r\nhttp://192.168.1.20:8089/zxtest/"
                  "manual.html\r\n/\r\n"
                  "http://192.168.1.20:8089/zxtest/up.asp\r\nhttp://192.168.1.20:8089/zxtest/mshow.html\r\n");

    web::TInHTTPAppRequest forged = requestFor("/zxtest/testver.txt");
    forged.headers.add("Host", "evil.example/\"><script>");
    EXPECT_EQ(answer(forged).content, VersionText(""));
    EXPECT_EQ(VersionText("").find("evil"), std::string::npos);
    EXPECT_NE(VersionText("").find("\r\n/zxtest/up.asp\r\n"), std::string::npos);
}

TEST_F(VendorSiteTest, BannerAndProductPageNameTheOrganisationAsText) {
    std::string banner = answer(requestFor("/zxtest/bannerkhd.html")).content;
    EXPECT_NE(banner.find(std::string(kProductName)), std::string::npos);
    EXPECT_NE(banner.find("第一中学 &lt;实验部&gt;"), std::string::npos);
    EXPECT_NE(banner.find("width:660px;height:60px"), std::string::npos);
    EXPECT_EQ(BannerPage("").find("class=\"org\""), std::string::npos);

    web::TInHTTPAppRequest request = requestFor("/home");
    request.headers.add("Host", "exam:89");
    std::string home = answer(request).content;
    EXPECT_NE(home.find("第一中学 &lt;实验部&gt;"), std::string::npos);
    EXPECT_NE(home.find("<td id=\"version\">" + std::string(kProductVersion) + "</td>"), std::string::npos);
    EXPECT_NE(home.find("db1.db</td>"), std::string::npos);
    EXPECT_NE(home.find("href=\"http://exam:89/zxtest/manual/\""), std::string::npos);
}

TEST_F(VendorSiteTest, NewsNamesSessionsAndRefreshesItself) {
    NewsFacts facts{{"192.168.1.20", "127.0.0.1"}, 8089, 3, 12};
    std::string page = NewsPage(facts);
    EXPECT_NE(page.find("<li>http://192.168.1.20:8089/</li><li>http://127.0.0.1:8089/</li>"),
              std::string::npos);
    EXPECT_NE(page.find("<span class=\"figure\" id=\"sessions\">3</span>"), std::string::npos);
    EXPECT_NE(page.find("<span class=\"figure\" id=\"papers\">12</span> 份"), std::string::npos);
    EXPECT_NE(page.find("<meta http-equiv=\"refresh\" content=\"30\">"), std::string::npos);
    facts.papersToday.reset();
    EXPECT_NE(NewsPage(facts).find("id=\"papers\">—</span>"), std::string::npos);
}

TEST_F(VendorSiteTest, ReviewShowsThePostedSheetWithItsMarkupFiltered) {
    web::TInHTTPAppResponse response = answer(reviewPost({
        {"testname", "常识<小测验>"},
        {"testxm", "张三\"><script>alert(1)</script>"},
        {"testcj", "3.5"},
        {"testtil", "<li class=\"tilok\"><a href=\"#3\">[对]首都</a></li><script>window.pwned=1</script>"},
        {"testmemo",
         "<div class=\"nr\" onmouseover=\"alert(1)\">x</div><div class=\"zdok\">标准答案：B</div>"},
    }));
    EXPECT_EQ(response.statusCode, 200);
    const std::string& page = response.content;
    EXPECT_NE(page.find("<td id=\"examname\">常识&lt;小测验&gt;</td>"), std::string::npos);
    EXPECT_NE(page.find("<td id=\"candidate\">张三&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;</td>"),
              std::string::npos);
    EXPECT_NE(page.find("<td id=\"score\">3.5</td>"), std::string::npos);
    EXPECT_NE(
        page.find("<ol class=\"til\" id=\"questions\"><li class=\"tilok\"><a href=\"#3\">[对]首都</a></li>"
                  "&lt;script&gt;window.pwned=1&lt;/script&gt;</ol>"),
        std::string::npos);
    EXPECT_NE(page.find("&lt;div class=&quot;nr&quot; onmouseover=&quot;alert(1)&quot;&gt;x&lt;/div&gt;"
                        "<div class=\"zdok\">标准答案：B</div>"),
              std::string::npos);
    EXPECT_NE(page.find("<a id=\"top\" name=\"top\"></a>"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
}

TEST_F(VendorSiteTest, ReviewPostsBeyondTheLimitOrWithoutFieldsGetAMessage) {
    const std::vector<std::pair<std::string, std::string>> fields = {
        {"testname", "考试"}, {"testxm", "张三"}, {"testcj", "1"}, {"testtil", ""}, {"testmemo", ""}};
    web::TInHTTPAppRequest atLimit = reviewPost(fields);
    atLimit.body.resize(kMaxReviewPost, 'x');
    EXPECT_EQ(answer(atLimit).statusCode, 200);

    web::TInHTTPAppRequest beyond = reviewPost(fields);
    beyond.body.resize(kMaxReviewPost + 1, 'x');
    web::TInHTTPAppResponse refused = answer(beyond);
    EXPECT_EQ(refused.statusCode, 413);
    EXPECT_NE(refused.content.find("提交的答题数据超过 1 MB，无法显示。"), std::string::npos);

    for (std::size_t left = 0; left < fields.size(); ++left) {
        std::vector<std::pair<std::string, std::string>> partial = fields;
        partial.erase(partial.begin() + static_cast<long>(left));
        web::TInHTTPAppResponse response = answer(reviewPost(partial));
        EXPECT_EQ(response.statusCode, 400) << fields[left].first;
        EXPECT_NE(response.content.find("没有收到答题数据。"), std::string::npos) << fields[left].first;
    }
}

}  // namespace
}  // namespace exam::vendor
