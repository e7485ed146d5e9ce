// The request record a connection's bytes become, and the replies written back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "tests/support/RuntimeFixture.h"
#include "web/server/HttpDate.h"
#include "web/server/http/ReplyWriter.h"
#include "web/server/http/RequestParser.h"

namespace web {
namespace {

class TextSink : public ByteSink {
public:
    void write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// The whole text arrives, then the client ends its side, as a connection read to its end.
bool parse(const std::string& raw, TInHTTPAppRequest& request, const std::string& uploadFolder = "") {
    RequestParser parser;
    if (parser.feed(raw) == RequestParser::State::NeedMore) parser.finish();
    std::optional<TInHTTPAppRequest> parsed = parser.take({"10.0.0.7", 8089, uploadFolder});
    if (!parsed) return false;
    request = std::move(*parsed);
    return true;
}

TEST(RequestRecordTest, ReadsTheRequestRecord) {
    TInHTTPAppRequest request;
    ASSERT_TRUE(parse("get /EXEC/1/abc%20d?a=1&b=%41+c HTTP/1.0\r\nUser-Agent: probe\r\n\r\n", request));
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.protocolVersion, "HTTP/1.0");
    EXPECT_EQ(request.path, "/EXEC/1/abc d");
    EXPECT_EQ(request.queryText, "a=1&b=%41+c");
    ASSERT_EQ(request.queryFields.size(), 2u);
    EXPECT_EQ(request.queryFields.line(0), "a=1");
    EXPECT_EQ(request.queryFields.line(1), "b=A c");
    EXPECT_EQ(request.host, "");
    EXPECT_EQ(request.serverPort, 8089);
    EXPECT_EQ(request.peerAddress, "10.0.0.7");
    EXPECT_EQ(request.userAgent(), "probe");
}

TEST(RequestRecordTest, FormPostCarriesBodyFieldsBeforeQueryFields) {
    TInHTTPAppRequest request;
    ASSERT_TRUE(parse(
        "POST /x?y=2 HTTP/1.1\r\nHost: 192.168.1.5:89\r\nContent-Type: application/x-www-form-urlencoded"
        "\r\nContent-Length: 3\r\nCookie: a=1; b=2\r\nAuthorization: Basic dXNlcjpwYTpzcw==\r\n\r\nx=1",
        request));
    EXPECT_EQ(request.query, "x=1&y=2");
    ASSERT_EQ(request.contentFields.size(), 2u);
    EXPECT_EQ(request.contentFields.line(0), "x=1");
    EXPECT_EQ(request.contentFields.line(1), "y=2");
    EXPECT_EQ(request.host, "192.168.1.5");
    EXPECT_EQ(request.serverPort, 89);
    EXPECT_EQ(request.cookieFields.value("b"), "2");
    EXPECT_EQ(request.authUser, "user");
    EXPECT_EQ(request.authPassword, "pa:ss");
}

TEST(RequestRecordTest, BodyLengthRules) {
    TInHTTPAppRequest empty;
    ASSERT_TRUE(parse("POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\nignored", empty));
    EXPECT_EQ(empty.body, "");
    TInHTTPAppRequest untilClose;
    ASSERT_TRUE(parse("POST / HTTP/1.1\r\n\r\nall of it", untilClose));
    EXPECT_EQ(untilClose.body, "all of it");
}

TEST(RequestRecordTest, RefusesWhatItDoesNotServe) {
    const std::string longLine(RequestParser::kMaxLineLength + 1, 'a');
    std::string manyHeaders = "GET / HTTP/1.1\r\n";
    for (std::size_t i = 0; i <= RequestParser::kMaxHeaderLines; ++i) manyHeaders += "X: y\r\n";
    for (const std::string& raw :
         {std::string("PUT / HTTP/1.1\r\n\r\n"), std::string("GET\r\n\r\n"),
          "GET /" + longLine + " HTTP/1.1\r\n\r\n", manyHeaders + "\r\n",
          std::string("GET / HTTP/1.1\r\nAuthorization: Digest x\r\n\r\n"),
          std::string("POST / HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n"),
          std::string("POST / HTTP/1.1\r\nContent-Length: 10\r\n\r\nshort"), std::string("")}) {
        TInHTTPAppRequest request;
        EXPECT_FALSE(parse(raw, request)) << raw.substr(0, 40);
    }
}

TEST(RequestRecordTest, MultipartGivesFieldsAndFilesThatVanishWithTheirHolder) {
    std::filesystem::path folder = testing_support::MakeTemporaryFolder("upload");
    std::string body =
        "--XyZ\r\nContent-Disposition: form-data; name=\"note\"\r\n\r\n  hello  \r\n"
        "--XyZ\r\nContent-Disposition: form-data; name=\"paper\"; filename=\"C:\\\\docs\\\\a.txt\"\r\n"
        "Content-Type: text/plain\r\n\r\nline1\r\nline2\r\n--XyZ--\r\n";
    std::string dataPath;
    {
        TInHTTPAppRequest request;
        ASSERT_TRUE(
            parse("POST /UPLOAD HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=XyZ\r\n"
                  "Content-Length: " +
                      std::to_string(body.size()) + "\r\n\r\n" + body,
                  request, folder.string() + "/"));
        EXPECT_EQ(request.contentFields.value("note"), "hello");
        EXPECT_EQ(request.contentFields.value("paper"), "a.txt");
        ASSERT_EQ(request.files.size(), 1u);
        EXPECT_EQ(request.files[0]->contentType, "text/plain");
        dataPath = request.files[0]->dataPath;
        std::ifstream data(dataPath, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(data), {}), "line1\r\nline2");
    }
    EXPECT_FALSE(std::filesystem::exists(dataPath));
    std::filesystem::remove_all(folder);
}

TEST(RequestRecordTest, ReplyHeaderOrderAndBodies) {
    TInHTTPAppResponse page;
    page.setContent("<html></html>");
    page.customHeaders.add("Pragma", "no-cache");
    TextSink sink;
    ReplyWriter::Write(sink, page, false);
    EXPECT_EQ(sink.text,
              "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Type: text/html\r\nContent-Length: 13\r\n"
              "Pragma: no-cache\r\nServer: TesselHTTP/1.0\r\n\r\n<html></html>");

    TInHTTPAppResponse empty;
    TextSink generated;
    ReplyWriter::Write(generated, empty, false);
    EXPECT_EQ(
        generated.text,
        "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Type: text/html\r\nServer: TesselHTTP/1.0\r\n\r\n"
        "<HTML><BODY><B>200 OK</B></BODY></HTML>\r\n");

    TInHTTPAppResponse head;
    head.setContent("body");
    TextSink headSink;
    ReplyWriter::Write(headSink, head, true);
    EXPECT_EQ(headSink.text.find("body"), std::string::npos);
    EXPECT_NE(headSink.text.find("Content-Length: 4\r\n"), std::string::npos);

    TInHTTPAppResponse redirect;
    redirect.sendRedirect("http://example.test/");
    TextSink redirectSink;
    ReplyWriter::Write(redirectSink, redirect, false);
    EXPECT_EQ(redirectSink.text.substr(0, 31), "HTTP/1.1 302 Moved Temporarily\r");
    EXPECT_NE(redirectSink.text.find("Location: http://example.test/\r\n"), std::string::npos);
}

TEST(RequestRecordTest, ReasonTexts) {
    for (auto [status, reason] : std::vector<std::pair<int, std::string>>{{200, "OK"},
                                                                          {304, "Not Modified"},
                                                                          {404, "Not Found"},
                                                                          {500, "Internal Server Error"},
                                                                          {418, "Unknown Response Code"}}) {
        EXPECT_EQ(ReplyWriter::ReasonText(status), reason);
    }
}

}  // namespace
}  // namespace web
