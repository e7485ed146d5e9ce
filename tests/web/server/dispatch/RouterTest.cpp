#include <gtest/gtest.h>

#include "web/server/Errors.h"
#include "web/server/dispatch/Router.h"
#include "web/server/session/SessionTable.h"

namespace web {
namespace {

TEST(RouterTest, PathWordsGiveKindArgumentsSessionAndTrack) {
    TWFServerControllerBase settings;
    SessionTable sessions;
    const std::string id(28, 'a');
    struct Case {
        std::string path;
        std::optional<RequestKind> kind;
        std::string firstArgument;
        std::string sessionID;
        std::string trackText;
        std::string browserText;
    };
    const Case cases[] = {
        {"/", RequestKind::Start, "", "", "", "agent"},
        {"/EXEC/3/" + id, RequestKind::Exec, "3", id, "3", "agent"},
        {"/exec/0/" + id + "/", RequestKind::Exec, "0", id, "0", "agent"},
        {"/UPDATE/5/" + id, RequestKind::Update, "5", id, "5", "agent"},
        {"/STOP/" + id + "/example.test/bye", RequestKind::Stop, id, id, "", "agent"},
        {"/files/img01.jpg", RequestKind::Files, "img01.jpg", "", "", "agent"},
        {"/Cache/user/x/JPG1.tmp", RequestKind::Cache, "user/x/JPG1.tmp", "", "", "agent"},
        {"/favicon.ico", RequestKind::Favicon, "", "", "", "agent"},
        {"/PING/" + id, RequestKind::Ping, id, "", "", "agent"},
        {"/32/EXEC/1/" + id, RequestKind::Exec, "1", id, "1", "HTML 3.2"},
        {"/WML/", RequestKind::Start, "", "", "", "WML"},
        {"/XHTMLMP/", RequestKind::Start, "", "", "", "XHTML MP"},
        {"/../EXEC/2/" + id, RequestKind::Exec, "2", id, "2", "agent"},
        {"/CALL/x", RequestKind::Call, "x", "", "", "agent"},
        {"/foo/bar", std::nullopt, "bar", "", "", "agent"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        TInHTTPAppRequest request;
        request.method = "GET";
        request.path = c.path;
        request.peerAddress = "10.0.0.7";
        request.headers.add("User-Agent", "agent");
        RoutedRequest routed = Router(settings).route(request, sessions);
        EXPECT_EQ(routed.kind, c.kind);
        EXPECT_EQ(routed.firstArgument, c.firstArgument);
        EXPECT_EQ(routed.sessionID, c.sessionID);
        EXPECT_EQ(routed.trackText, c.trackText);
        EXPECT_EQ(routed.browserText, c.browserText);
        EXPECT_EQ(routed.clientIP, "10.0.0.7");
    }
}

TEST(RouterTest, ResizeReportsNameTheirSessionInTheirFields) {
    TWFServerControllerBase settings;
    SessionTable sessions;
    TInHTTPAppRequest request;
    request.method = "POST";
    request.path = "/RESIZE/9/ignored";
    request.contentFields.add("WF_SessionID_", "posted-id");
    request.contentFields.add("WF_TrackID_", "4");
    RoutedRequest routed = Router(settings).route(request, sessions);
    EXPECT_EQ(routed.kind, RequestKind::Resize);
    EXPECT_EQ(routed.sessionID, "posted-id");
    EXPECT_EQ(routed.trackText, "4");
    EXPECT_EQ(routed.params.value("WF_TrackID_"), "4");
}

TEST(RouterTest, OwnCommandWordsAndTrackNumbers) {
    TWFServerControllerBase settings;
    settings.ExecCmd = "Run";
    settings.StartCmd = "begin";
    SessionTable sessions;
    auto kindOf = [&](const std::string& path) {
        TInHTTPAppRequest request;
        request.path = path;
        return Router(settings).route(request, sessions).kind;
    };
    EXPECT_EQ(kindOf("/RUN/1/x"), RequestKind::Exec);
    EXPECT_EQ(kindOf("/BEGIN"), RequestKind::Start);
    EXPECT_EQ(kindOf("/"), std::nullopt);
    EXPECT_EQ(kindOf("/EXEC/1/x"), std::nullopt);

    RoutedRequest track;
    for (auto [text, number] :
         {std::pair{"7", 7LL}, {"abc", 0LL}, {"", 0LL}, {"-2147483648", -2147483648LL}}) {
        track.trackText = text;
        EXPECT_EQ(track.trackNumber(), number) << text;
    }
    track.trackText = "4294967296";
    EXPECT_THROW(track.trackNumber(), EWFException);
}

}  // namespace
}  // namespace web
