#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "resources/EmbeddedFiles.h"
#include "tests/support/RuntimeFixture.h"
#include "web/server/Errors.h"
#include "web/server/files/FileRequests.h"
#include "web/server/HttpDate.h"

namespace web {
namespace {

using K = RequestKind;

struct Outcome {
    std::string log;
    bool cacheable = true;
    int status = 0;
    std::string contentType;
    std::string body;
    std::optional<TimePoint> lastModified;
};

class FileRequestsTest : public ::testing::Test {
protected:
    Outcome request(K kind, const std::string& firstArgument, const std::string& path,
                    const std::string& ifModifiedSince = "") {
        TInHTTPAppRequest request;
        request.method = "GET";
        request.path = path;
        request.peerAddress = "127.0.0.1";
        if (!ifModifiedSince.empty()) request.headers.add("If-Modified-Since", ifModifiedSince);
        TInHTTPAppResponse response;
        Outcome outcome;
        RequestContext context{runtime_.runtime().state(), request, response};
        outcome.log = HandleFileRequest(context, kind, firstArgument, "", outcome.cacheable);
        outcome.status = response.statusCode;
        outcome.contentType = response.contentType;
        outcome.body = response.contentStream ? readAll(*response.contentStream) : response.content;
        outcome.lastModified = response.lastModified;
        return outcome;
    }

    void write(const std::string& path, const std::string& content) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    static std::string embedded(const char* path) {
        const resources::EmbeddedFile* file = resources::findEmbeddedFile(path);
        return file == nullptr ? "" : std::string(file->bytes());
    }

    testing_support::RuntimeFixture runtime_;
};

TEST_F(FileRequestsTest, ApplicationFilesAreCacheableUnlessAskedNotTo) {
    write(runtime_.controller().filesFolder() + "img01.jpg", "picture");
    struct Case {
        K kind;
        const char* name;
        int status;
        bool cacheable;
    };
    for (const Case& c : {Case{K::Files, "img01.jpg", 200, true}, Case{K::FilesNC, "img01.jpg", 200, false},
                          Case{K::Files, "missing.jpg", 404, false}, Case{K::Files, "..", 404, false},
                          Case{K::Files, "../img01.jpg", 404, false}}) {
        Outcome outcome = request(c.kind, c.name, std::string("/files/") + c.name);
        EXPECT_EQ(outcome.log, std::string("External File: ") + c.name);
        EXPECT_EQ(outcome.status, c.status) << c.name;
        EXPECT_EQ(outcome.cacheable, c.cacheable) << c.name;
        if (c.status == 200) {
            EXPECT_EQ(outcome.body, "picture");
            EXPECT_EQ(outcome.contentType, "image/jpeg");
        }
    }
}

TEST_F(FileRequestsTest, CacheFilesComeFromTheCacheFolder) {
    write(runtime_.controller().cacheFolder() + "JPG1a2b3c.tmp", "generated");
    Outcome sent = request(K::Cache, "JPG1a2b3c.tmp", "/cache/JPG1a2b3c.tmp");
    EXPECT_EQ(sent.log, "Cache File: JPG1a2b3c.tmp");
    EXPECT_EQ(sent.status, 200);
    EXPECT_EQ(sent.body, "generated");
    EXPECT_EQ(sent.contentType, "image/jpeg");
    EXPECT_TRUE(sent.cacheable);

    // A file of a session that no longer exists is simply not there.
    Outcome gone = request(K::Cache, "user/" + std::string(28, 'a') + "/JPGx.tmp", "/cache/user/x/JPGx.tmp");
    EXPECT_EQ(gone.status, 404);
    EXPECT_FALSE(gone.cacheable);
    EXPECT_EQ(request(K::Cache, "../secret.txt", "/cache/../secret.txt").status, 404);
}

TEST_F(FileRequestsTest, InternalImageIsSentUntilTheBrowserHasIt) {
    Outcome image = request(K::Gfx, "Tp.gif", "/gfx/Tp.gif");
    EXPECT_EQ(image.log, "Internal Graphic: (200)WF_GFX_Tp");
    EXPECT_EQ(image.status, 200);
    EXPECT_EQ(image.contentType, "image/gif");
    EXPECT_EQ(image.body, embedded("gfx/Tp.gif"));
    EXPECT_EQ(image.body.substr(0, 6), "GIF89a");
    EXPECT_EQ(image.lastModified, runtime_.controller().internalResourceStamp());
    EXPECT_TRUE(image.cacheable);

    Outcome again = request(K::Gfx, "Tp.gif", "/gfx/Tp.gif", formatHttpDate(*image.lastModified));
    EXPECT_EQ(again.log, "Internal Graphic: (304)WF_GFX_Tp");
    EXPECT_EQ(again.status, 304);
    EXPECT_TRUE(again.body.empty());
    EXPECT_FALSE(again.cacheable);

    Outcome older = request(K::Gfx, "Tp.gif", "/gfx/Tp.gif",
                            formatHttpDate(*image.lastModified - std::chrono::seconds(2)));
    EXPECT_EQ(older.status, 200);
}

TEST_F(FileRequestsTest, LogoWithoutExtensionIsTypedByItsFile) {
    Outcome logo = request(K::Gfx, "LogoTessel", "/gfx/LogoTessel");
    EXPECT_EQ(logo.log, "Internal Graphic: (200)WF_GFX_LogoTessel");
    EXPECT_EQ(logo.contentType, "image/gif");
    EXPECT_EQ(logo.body, embedded("gfx/TesselLogo.gif"));
}

TEST_F(FileRequestsTest, ScriptsAreFoundByTheirVersionedName) {
    Outcome script = request(K::Js, "WFCommon.js_4.1.0", "/js/WFCommon.js_4.1.0");
    EXPECT_EQ(script.log, "Javascript: (200)WF_JS_WFCommon");
    EXPECT_EQ(script.contentType, "application/x-javascript");
    EXPECT_EQ(script.body, embedded("js/WFCommon.js"));
    EXPECT_FALSE(script.body.empty());
    EXPECT_TRUE(script.cacheable);
}

TEST_F(FileRequestsTest, UnregisteredResourcesFail) {
    struct Case {
        K kind;
        const char* argument;
        const char* message;
    };
    for (const Case& c : {Case{K::Js, "WFCommon.js", "Resource WF_JS_ not found."},
                          Case{K::Css, "tabcontrol.css_4.1.0", "Resource WF_CSS_tabcontrol not found."},
                          Case{K::Gfx, "nothing.gif", "Resource WF_GFX_nothing not found."}}) {
        try {
            request(c.kind, c.argument, "/x/" + std::string(c.argument));
            ADD_FAILURE() << c.argument << " was answered";
        } catch (const EWFException& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST_F(FileRequestsTest, FaviconPrefersTheApplicationsOwn) {
    Outcome builtIn = request(K::Favicon, "", "/favicon.ico");
    EXPECT_EQ(builtIn.status, 200);
    EXPECT_EQ(builtIn.contentType, "image/x-ico");
    EXPECT_EQ(builtIn.body, embedded("gfx/favicon.ico"));
    EXPECT_TRUE(builtIn.cacheable);

    write(runtime_.controller().filesFolder() + "favicon.ico", "own icon");
    Outcome own = request(K::Favicon, "", "/favicon.ico");
    EXPECT_EQ(own.body, "own icon");
    EXPECT_EQ(own.contentType, "image/x-ico");
    EXPECT_TRUE(own.cacheable);
}

TEST_F(FileRequestsTest, OtherKindsAreRefused) {
    EXPECT_THROW(request(K::Exec, "1", "/EXEC/1"), EWFException);
}

TEST(InternalResourceNameTest, DerivedFromTheAddress) {
    struct Case {
        K kind;
        const char* argument;
        const char* name;
    };
    for (const Case& c :
         {Case{K::Gfx, "Tp.gif", "WF_GFX_Tp"}, Case{K::Gfx, "LogoBrantel", "WF_GFX_LogoBrantel"},
          Case{K::Js, "WFCommon.js_4.1.0", "WF_JS_WFCommon"}, Case{K::Js, "WFCommon.js", "WF_JS_"},
          Case{K::Js, "WFCL.js_4.0.9", "WF_JS_"},
          Case{K::Css, "tabcontrol.css_4.1.0", "WF_CSS_tabcontrol"}}) {
        EXPECT_EQ(InternalResourceName(c.kind, c.argument), c.name) << c.argument;
    }
}

}  // namespace
}  // namespace web
