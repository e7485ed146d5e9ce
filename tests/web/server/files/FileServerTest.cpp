#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/RuntimeFixture.h"
#include "web/server/files/FileServer.h"
#include "web/server/HttpDate.h"
#include "web/server/files/InternalResources.h"

namespace web {
namespace {

class FileServerTest : public ::testing::Test {
protected:
    FileServerTest() : folder_(testing_support::MakeTemporaryFolder("fileserver")) {}
    ~FileServerTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string write(const std::string& name, const std::string& content) {
        std::string path = (folder_ / name).string();
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::string folder() const { return folder_.string() + "/"; }

    std::filesystem::path folder_;
};

TEST_F(FileServerTest, SendsTheFileWithItsTypeAndTime) {
    std::string path = write("img01.jpg", "picture");
    TInHTTPAppRequest request;
    TInHTTPAppResponse response;
    EXPECT_EQ(ServeFile(request, response, path), 200);
    EXPECT_EQ(response.statusCode, 200);
    EXPECT_EQ(response.contentType, "image/jpeg");
    ASSERT_NE(response.contentStream, nullptr);
    EXPECT_EQ(readAll(*response.contentStream), "picture");
    EXPECT_EQ(response.contentLength, 7);
    ASSERT_TRUE(response.lastModified.has_value());
    auto modified = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(path));
    EXPECT_EQ(formatHttpDate(*response.lastModified),
              formatHttpDate(std::chrono::time_point_cast<Clock::duration>(modified)));
}

TEST_F(FileServerTest, AnswersNotModifiedUntilTheFileIsNewer) {
    std::string path = write("bjcss.css", "body {}");
    TInHTTPAppRequest first;
    TInHTTPAppResponse served;
    ServeFile(first, served, path);
    ASSERT_TRUE(served.lastModified.has_value());
    std::string stamp = formatHttpDate(*served.lastModified);

    struct Case {
        std::string ifModifiedSince;
        int status;
    };
    for (const Case& c :
         {Case{stamp, 304}, Case{formatHttpDate(*served.lastModified + std::chrono::hours(1)), 304},
          Case{formatHttpDate(*served.lastModified - std::chrono::seconds(1)), 200},
          Case{"not a date", 200}}) {
        TInHTTPAppRequest request;
        request.headers.add("If-Modified-Since", c.ifModifiedSince);
        TInHTTPAppResponse response;
        EXPECT_EQ(ServeFile(request, response, path), c.status) << c.ifModifiedSince;
        EXPECT_EQ(response.statusCode, c.status);
        if (c.status == 304) {
            EXPECT_EQ(response.reasonString, "Not modified");
            EXPECT_FALSE(response.hasContent());
        }
    }
}

TEST_F(FileServerTest, MissingFilesAndFoldersAreNotFound) {
    write("sub/x.jpg", "x");
    for (const std::string& path : {folder() + "missing.jpg", folder() + "sub", folder() + "sub/"}) {
        TInHTTPAppRequest request;
        TInHTTPAppResponse response;
        response.setContent("left over");
        EXPECT_EQ(ServeFile(request, response, path), 404) << path;
        EXPECT_EQ(response.statusCode, 404);
        EXPECT_EQ(response.reasonString, "File not found");
        EXPECT_FALSE(response.hasContent());
    }
}

TEST_F(FileServerTest, CacheFilesAreTypedByTheirPrefix) {
    struct Case {
        const char* name;
        const char* type;
    };
    for (const Case& c : {Case{"JPGa81QzK.tmp", "image/jpeg"}, Case{"GIFa81QzK.TMP", "image/gif"},
                          Case{"MIMEa81QzK.tmp", "application/octet-stream"},
                          Case{"data.bin", "application/octet-stream"}, Case{"page.HTM", "text/html"}}) {
        TInHTTPAppRequest request;
        TInHTTPAppResponse response;
        ServeFile(request, response, write(c.name, "x"));
        EXPECT_EQ(response.contentType, c.type) << c.name;
    }
}

TEST_F(FileServerTest, NamesThatLeaveTheFolderAreRefused) {
    write("img01.jpg", "x");
    write("sub/x.jpg", "x");
    std::filesystem::path outside = testing_support::MakeTemporaryFolder("outside");
    std::ofstream(outside / "secret.txt") << "secret";
    std::filesystem::create_symlink(outside / "secret.txt", folder_ / "link.txt");
    std::filesystem::create_directory_symlink(outside, folder_ / "away");

    for (const std::string& name : {std::string("img01.jpg"), std::string("sub/x.jpg"),
                                    std::string("..x.jpg"), std::string("missing.jpg")}) {
        EXPECT_EQ(PathInside(folder(), name), folder() + name) << name;
    }
    for (const std::string& name : {std::string(""), std::string(".."), std::string("../secret.txt"),
                                    std::string("sub/../../secret.txt"), std::string("/etc/passwd"),
                                    std::string("sub\\..\\..\\secret.txt"), std::string("a\0b.jpg", 7),
                                    std::string("link.txt"), std::string("away/secret.txt")}) {
        EXPECT_FALSE(PathInside(folder(), name).has_value()) << name;
    }
    std::filesystem::remove_all(outside);
}

TEST(ContentTypeTest, ByExtensionIgnoringCase) {
    struct Case {
        const char* name;
        const char* type;
    };
    for (const Case& c :
         {Case{"a.jpg", "image/jpeg"}, Case{"a.JPEG", "image/jpeg"}, Case{"a.Gif", "image/gif"},
          Case{"favicon.ico", "image/x-ico"}, Case{"a.css", "text/css"},
          Case{"a.js", "application/x-javascript"}, Case{"a.htm", "text/html"}, Case{"a.html", "text/html"},
          Case{"a.png", "image/png"}, Case{"a.txt", "text/plain"}, Case{"/gfx/Tp.gif", "image/gif"},
          Case{"a.xyz", ""}, Case{"LogoTessel", ""}}) {
        EXPECT_EQ(ContentTypeOf(c.name), c.type) << c.name;
    }
}

}  // namespace
}  // namespace web
