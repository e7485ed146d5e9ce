#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

#include "web/server/http/RequestParser.h"

namespace web {
namespace {

using State = RequestParser::State;

const RequestOrigin kOrigin{"10.0.0.7", 8089, ""};

// Feeds `raw` in pieces of `piece` bytes, then ends the data unless the request is done.
State parseInPieces(const std::string& raw, std::size_t piece, RequestParser& parser, bool endData = true) {
    for (std::size_t at = 0; at < raw.size() && parser.state() == State::NeedMore; at += piece) {
        parser.feed(std::string_view(raw).substr(at, piece));
    }
    if (endData && parser.state() == State::NeedMore) parser.finish();
    return parser.state();
}

State parse(const std::string& raw) {
    RequestParser parser;
    return parseInPieces(raw, raw.size() + 1, parser);
}

TEST(RequestParserTest, EverySplitOfTheBytesGivesTheSameRequest) {
    const std::string raw =
        "POST /EXEC/3/abc?x=%41 HTTP/1.1\r\nHost: 192.168.1.5:89\r\nContent-Type: "
        "application/x-www-form-urlencoded\r\nContent-Length: 21\r\nCookie: a=1\r\n\r\nWF_Action=WFLINK1&b=2";
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{64}, raw.size()}) {
        RequestParser parser;
        ASSERT_EQ(parseInPieces(raw, piece, parser, false), State::Complete) << piece;
        std::optional<TInHTTPAppRequest> request = parser.take(kOrigin);
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->method, "POST");
        EXPECT_EQ(request->path, "/EXEC/3/abc");
        EXPECT_EQ(request->body, "WF_Action=WFLINK1&b=2");
        EXPECT_EQ(request->contentFields.value("WF_Action"), "WFLINK1");
        EXPECT_EQ(request->queryFields.value("x"), "A");
        EXPECT_EQ(request->cookieFields.value("a"), "1");
        EXPECT_EQ(request->serverPort, 89);
        EXPECT_EQ(request->peerAddress, "10.0.0.7");
    }
}

TEST(RequestParserTest, CompletesWithoutWaitingForTheEndOfTheData) {
    RequestParser get;
    EXPECT_EQ(get.feed("GET / HTTP/1.1\r\nHost: x\r\n"), State::NeedMore);
    EXPECT_EQ(get.feed("\r\nbytes after the request"), State::Complete);
    EXPECT_EQ(get.take(kOrigin)->body, "");

    RequestParser post;
    EXPECT_EQ(post.feed("POST / HTTP/1.1\r\nContent-Length: 4\r\n\r\nab"), State::NeedMore);
    EXPECT_EQ(post.take(kOrigin), std::nullopt);
    EXPECT_EQ(post.feed("cdEXTRA"), State::Complete);
    EXPECT_EQ(post.take(kOrigin)->body, "abcd");
}

TEST(RequestParserTest, AMethodItDoesNotServeIsRefusedAtTheRequestLine) {
    RequestParser parser;
    EXPECT_EQ(parser.feed("PUT / HTTP/1.1\r\n"), State::Refused);
    EXPECT_EQ(parser.feed("Host: x\r\n\r\n"), State::Refused);
    EXPECT_EQ(parser.take(kOrigin), std::nullopt);
}

TEST(RequestParserTest, TheEndOfTheDataFramesWhatCameBeforeIt) {
    struct Case {
        std::string raw;
        State state;
    };
    for (const Case& c : std::vector<Case>{
             {"", State::Refused},
             {"GET / HTTP/1.0", State::Complete},
             {"GET / HTTP/1.0\r\nHost: x", State::Complete},
             {"POST / HTTP/1.0\r\n\r\nuntil the end", State::Complete},
             {"POST / HTTP/1.0\r\nContent-Length: 5\r\n\r\nabcd", State::Refused},
             {"POST / HTTP/1.0\r\nContent-Length: 5\r\n", State::Refused},
         }) {
        EXPECT_EQ(parse(c.raw), c.state) << c.raw;
    }
}

// Each limit is probed at its value (served) and one past it (refused).
TEST(RequestParserTest, LimitsHoldExactlyAtTheirValue) {
    const std::size_t kLine = RequestParser::kMaxLineLength;
    const std::string requestLineStart = "GET /";
    const std::string requestLineEnd = " HTTP/1.1";
    auto requestLineOf = [&](std::size_t length) {
        return requestLineStart + std::string(length - requestLineStart.size() - requestLineEnd.size(), 'a') +
               requestLineEnd;
    };
    auto headers = [](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += "X: y\r\n";
        return text;
    };
    auto body = [](std::size_t length) {
        return "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n" +
               std::string(length, 'b');
    };
    auto bodyUntilClose = [](std::size_t length) {
        return "POST / HTTP/1.1\r\n\r\n" + std::string(length, 'b');
    };
    const std::size_t kBody = RequestParser::kMaxBodyLength;
    struct Case {
        const char* what;
        std::string raw;
        State state;
    };
    for (const Case& c : std::vector<Case>{
             {"line at the limit", requestLineOf(kLine) + "\n\n", State::Complete},
             {"line one past", requestLineOf(kLine + 1) + "\n\n", State::Refused},
             {"a carriage return counts", requestLineOf(kLine) + "\r\n\r\n", State::Refused},
             {"headers at the limit", "GET / HTTP/1.1\r\n" + headers(1024) + "\r\n", State::Complete},
             {"headers one past", "GET / HTTP/1.1\r\n" + headers(1025) + "\r\n", State::Refused},
             {"body at the limit", body(kBody), State::Complete},
             {"body announced one past",
              "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(kBody + 1) + "\r\n\r\n", State::Refused},
             {"body until close at the limit", bodyUntilClose(kBody), State::Complete},
             {"body until close one past", bodyUntilClose(kBody + 1), State::Refused},
         }) {
        RequestParser parser;
        EXPECT_EQ(parseInPieces(c.raw, 65536, parser), c.state) << c.what;
    }
}

TEST(RequestParserTest, MalformedFramingIsRefused) {
    for (const std::string& raw :
         std::vector<std::string>{"GET\r\n\r\n", "\r\n\r\n", "POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n",
                                  "POST / HTTP/1.1\r\nContent-Length: 1x\r\n\r\nab",
                                  "POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n"}) {
        EXPECT_EQ(parse(raw), State::Refused) << raw;
    }
}

TEST(RequestParserTest, AnAuthorizationOtherThanBasicIsRefusedWhenTaken) {
    RequestParser parser;
    ASSERT_EQ(parser.feed("GET / HTTP/1.1\r\nAuthorization: Digest x\r\n\r\n"), State::Complete);
    EXPECT_EQ(parser.take(kOrigin), std::nullopt);
    EXPECT_EQ(parser.state(), State::Refused);
}

// The file of an upload that does not fit (here a file size limit, as a full disk would) is
// not handed on cut short: the request is refused and nothing is left behind. Run in a
// child process, which alone gets the limit.
TEST(RequestParserTest, AnUploadThatCannotBeWrittenWholeRefusesTheRequest) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("upload-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string data(8192, 'x');
    const std::string body = "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.xlsx\"\r\n\r\n" +
                             data + "\r\n--B--\r\n";
    const std::string raw = "POST /EXEC/1/s HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=B\r\n"
                            "Content-Length: " +
                            std::to_string(body.size()) + "\r\n\r\n" + body;
    const RequestOrigin origin{"10.0.0.7", 8089, folder.string() + "/"};
    const auto takeUnderALimit = [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit small{};
        small.rlim_cur = small.rlim_max = 1024;
        ::setrlimit(RLIMIT_FSIZE, &small);
        RequestParser parser;
        parseInPieces(raw, raw.size(), parser);
        const bool refused = !parser.take(origin).has_value();
        const bool nothingLeft = std::filesystem::is_empty(folder);
        std::exit(refused && nothingLeft ? 0 : 1);
    };
    EXPECT_EXIT(takeUnderALimit(), ::testing::ExitedWithCode(0), "");
    RequestParser parser;
    parseInPieces(raw, raw.size(), parser);
    std::optional<TInHTTPAppRequest> request = parser.take(origin);
    ASSERT_TRUE(request.has_value());
    ASSERT_EQ(request->files.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(request->files[0]->dataPath), data.size());
    request.reset();
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace web
