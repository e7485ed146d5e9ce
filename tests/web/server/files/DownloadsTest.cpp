#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/RuntimeFixture.h"
#include "web/server/files/Downloads.h"

namespace {

struct DispositionCase {
    const char* name;
    std::string expected;
};

TEST(DownloadsTest, AttachmentNamesTravelAsPlainAndEncodedNames) {
    const std::vector<DispositionCase> cases{
        {"db1-20261210-153012.db", "attachment; filename=\"db1-20261210-153012.db\""},
        // Each Chinese character is one "_" in the plain name, its UTF-8 bytes encoded after.
        {"期末考试-20261210.xlsx",
         "attachment; filename=\"____-20261210.xlsx\"; "
         "filename*=UTF-8''%E6%9C%9F%E6%9C%AB%E8%80%83%E8%AF%95-20261210.xlsx"},
        // Quotes, backslashes and line breaks can neither end the quoted name nor the line.
        {"a\"b\\c\r\nSet-Cookie: x.csv",
         "attachment; filename=\"a_b_c__Set-Cookie: x.csv\"; "
         "filename*=UTF-8''a%22b%5Cc%0D%0ASet-Cookie%3A%20x.csv"},
    };
    for (const DispositionCase& test : cases) {
        EXPECT_EQ(web::AttachmentDisposition(test.name), test.expected) << test.name;
    }
}

class DownloadHeadersTest : public ::testing::Test {
protected:
    DownloadHeadersTest() : folder_(testing_support::MakeTemporaryFolder("downloads-test")) {
        std::ofstream(file()) << "content";
    }
    ~DownloadHeadersTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string file() const { return (folder_ / "XLSabc123.tmp").string(); }

    std::filesystem::path folder_;
};

TEST_F(DownloadHeadersTest, MarkedFileIsServedAsAttachmentOfItsType) {
    web::MarkDownload(file(), {"text/csv; charset=utf-8", "成绩.csv"});
    web::TInHTTPAppResponse response;
    web::ApplyDownloadHeaders(file(), response);
    EXPECT_EQ(response.contentType, "text/csv; charset=utf-8");
    EXPECT_EQ(response.customHeaders.value("Content-Disposition"),
              "attachment; filename=\"__.csv\"; filename*=UTF-8''%E6%88%90%E7%BB%A9.csv");
}

TEST_F(DownloadHeadersTest, UnmarkedFileKeepsItsReply) {
    web::TInHTTPAppResponse response;
    response.contentType = "image/jpeg";
    web::ApplyDownloadHeaders(file(), response);
    EXPECT_EQ(response.contentType, "image/jpeg");
    EXPECT_FALSE(response.customHeaders.contains("Content-Disposition"));
}

}  // namespace
