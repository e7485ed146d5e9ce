#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "tests/support/RuntimeFixture.h"
#include "web/server/Errors.h"
#include "web/server/TWFRenderStream.h"

namespace web {
namespace {

class TWFRenderStreamTest : public ::testing::Test {
protected:
    std::size_t filesIn(const std::string& folder) const {
        std::error_code ignored;
        auto entries = std::filesystem::directory_iterator(folder, ignored);
        return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
    }

    testing_support::RuntimeFixture runtime_;
};

// An ordinary page stays in memory; one past the threshold goes to an unlinked file.
// Either way what was written is read back whole, again after a rewind, and no file is
// left in the cache folder.
TEST_F(TWFRenderStreamTest, WhatIsWrittenIsReadBackAndLeavesNoFile) {
    std::string temp = runtime_.controller().cacheFolder() + "temp/";
    struct Case {
        std::size_t filler;
        bool spilled;
    };
    const std::size_t kFrame = 6 + 2 + 7;  // "<html>", "42", "</html>"
    for (const Case& c : {Case{70000, false}, Case{TWFRenderStream::kSpillThreshold - kFrame, false},
                          Case{TWFRenderStream::kSpillThreshold - kFrame + 1, true},
                          Case{3 * TWFRenderStream::kSpillThreshold, true}}) {
        TWFRenderStream page(runtime_.controller().cacheFolder());
        page.stream() << "<html>" << 42 << std::string(c.filler, 'x') << "</html>";
        page.rewind();
        EXPECT_EQ(page.spilled(), c.spilled) << c.filler;
        EXPECT_EQ(page.size(), kFrame + c.filler);
        std::string body = readAll(page);
        EXPECT_EQ(body.substr(0, 8), "<html>42");
        EXPECT_EQ(body.substr(body.size() - 7), "</html>");
        EXPECT_EQ(body.size(), page.size());
        page.rewind();
        EXPECT_EQ(readAll(page), body);
        EXPECT_EQ(filesIn(temp), 0u);
        // The cases run in this order: nothing is created until a page spills.
        EXPECT_EQ(std::filesystem::is_directory(temp), c.spilled);
    }
    EXPECT_EQ(filesIn(temp), 0u);
}

// A whole page written at once: taken over by an empty stream, added after what a stream
// already holds, and still spilled when it is too large for memory.
TEST_F(TWFRenderStreamTest, AWholePageIsTakenOverOrAppended) {
    const std::string cache = runtime_.controller().cacheFolder();
    TWFRenderStream empty(cache);
    TWFRenderStream::Write(empty.stream(), std::string("<html>page</html>"));
    EXPECT_EQ(readAll(empty), "<html>page</html>");

    TWFRenderStream started(cache);
    started.stream() << "<!-- head -->";
    TWFRenderStream::Write(started.stream(), std::string("<html>page</html>"));
    started.rewind();
    EXPECT_EQ(readAll(started), "<!-- head --><html>page</html>");

    TWFRenderStream large(cache);
    TWFRenderStream::Write(large.stream(), std::string(TWFRenderStream::kSpillThreshold + 1, 'x'));
    large.rewind();
    EXPECT_TRUE(large.spilled());
    EXPECT_EQ(readAll(large).size(), TWFRenderStream::kSpillThreshold + 1);

    std::ostringstream other;
    TWFRenderStream::Write(other, std::string("<html>page</html>"));
    EXPECT_EQ(other.str(), "<html>page</html>");
}

// The reply takes a page held in memory over whole; a page already read from, or in its
// file, is left to be read.
TEST_F(TWFRenderStreamTest, APageInMemoryIsHandedOverWholeOnlyBeforeItIsRead) {
    const std::string cache = runtime_.controller().cacheFolder();
    std::string taken = "left from before";
    TWFRenderStream page(cache);
    TWFRenderStream::Write(page.stream(), std::string("<html>page</html>"));
    ASSERT_TRUE(page.takeAll(taken));
    EXPECT_EQ(taken, "<html>page</html>");
    EXPECT_EQ(page.size(), 0u);

    TWFRenderStream partly(cache);
    partly.stream() << "<html>page</html>";
    char first[6];
    ASSERT_EQ(partly.read(first, sizeof first), sizeof first);
    EXPECT_FALSE(partly.takeAll(taken));
    char rest[32];
    EXPECT_EQ(std::string(rest, partly.read(rest, sizeof rest)), "page</html>");

    TWFRenderStream large(cache);
    TWFRenderStream::Write(large.stream(), std::string(TWFRenderStream::kSpillThreshold + 1, 'x'));
    EXPECT_FALSE(large.takeAll(taken));
    EXPECT_EQ(taken, "<html>page</html>");
}

TEST_F(TWFRenderStreamTest, CacheFilesAreNamedByTheirPrefix) {
    const std::string cache = runtime_.controller().cacheFolder();
    std::string name = CreateCacheFile("mime", cache);
    EXPECT_TRUE(std::regex_match(name, std::regex("MIME[0-9A-Za-z]{6}\\.tmp"))) << name;
    EXPECT_TRUE(std::filesystem::is_regular_file(runtime_.controller().cacheFolder() + name));
    EXPECT_NE(CreateCacheFile("mime", cache), name);

    std::string session = runtime_.controller().cacheFolder() + "user/abc/";
    std::filesystem::create_directories(session);
    std::string own = CreateCacheFile("JPG", session);
    EXPECT_TRUE(std::filesystem::is_regular_file(session + own));

    EXPECT_THROW(CreateCacheFile("JPG", runtime_.controller().cacheFolder() + "missing/"), EWFException);
}

}  // namespace
}  // namespace web
