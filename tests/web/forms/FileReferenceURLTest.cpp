#include <gtest/gtest.h>

#include "web/forms/FileReferenceURL.h"

namespace web::forms {
namespace {

web::TWFFileReference file(std::string name) {
    web::TWFFileReference reference;
    reference.setFilename(std::move(name));
    return reference;
}

TEST(FileReferenceURLTest, FilesBelowTheFilesFolderKeepTheirSubfolders) {
    EXPECT_EQ(fileReferenceURL(file("/srv/exam/files/css/bjcss.css"), "/Files/", "/srv/exam/Files/"),
              "/Files/css/bjcss.css");
    EXPECT_EQ(fileReferenceURL(file("C:\\exam\\Files\\til.jpg"), "/Files/", "C:\\exam\\Files"),
              "/Files/til.jpg");
}

TEST(FileReferenceURLTest, DesignPathsResolveToTheBareFileName) {
    EXPECT_EQ(fileReferenceURL(file("D:\\设计\\files\\img01.jpg"), "/Files/", "/srv/exam/Files/"),
              "/Files/img01.jpg");
    EXPECT_EQ(fileReferenceURL(file("img01.jpg"), "/Files/", ""), "/Files/img01.jpg");
}

TEST(FileReferenceURLTest, UrlsPassAndEmptyReferencesGiveNothing) {
    web::TWFFileReference url;
    url.setURL("http://example.test/a.css");
    EXPECT_EQ(fileReferenceURL(url, "/Files/", "/srv/"), "http://example.test/a.css");
    EXPECT_EQ(fileReferenceURL({}, "/Files/", "/srv/"), "");
}

}  // namespace
}  // namespace web::forms
