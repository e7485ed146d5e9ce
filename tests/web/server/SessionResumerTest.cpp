#include <gtest/gtest.h>

#include <set>

#include "tests/support/RuntimeFixture.h"
#include "web/server/ContentStream.h"
#include "web/server/SessionResumer.h"
#include "web/server/TWFServer.h"
#include "web/server/TWFSessions.h"

namespace web {
namespace {

using testing_support::ProbePage;
using testing_support::RuntimeFixture;

const char* const kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";
const std::string kKeptId = "keptsession0000000000000000a";

// Brings back the ids it keeps with a page named "Resumed".
class KeepingResumer : public SessionResumer {
public:
    std::unique_ptr<TWFApplication> resume(const TWFSessionStart& start) override {
        ++asked;
        if (kept.count(start.sessionID) == 0) return nullptr;
        auto session = std::make_unique<TWFApplication>(start);
        session->FormShown(session->AdoptForm(std::make_unique<ProbePage>("Resumed")));
        return session;
    }

    std::set<std::string> kept{kKeptId};
    int asked = 0;
};

struct Reply {
    int status = 0;
    std::string body;
};

class SessionResumerTest : public ::testing::Test {
protected:
    SessionResumerTest() { SetSessionResumer(&resumer_); }
    ~SessionResumerTest() override { SetSessionResumer(nullptr); }

    Reply send(const std::string& method, const std::string& path, const FieldList& fields = {}) {
        TInHTTPAppRequest request;
        request.method = method;
        request.path = path;
        request.peerAddress = "127.0.0.1";
        request.host = "127.0.0.1";
        request.serverPort = 8089;
        request.headers.add("User-Agent", kChrome);
        (method == "POST" ? request.contentFields : request.queryFields) = fields;
        TInHTTPAppResponse response;
        TWFServer().Dispatch(request, response);
        Reply reply{response.statusCode, response.content};
        if (response.contentStream) reply.body = readAll(*response.contentStream);
        return reply;
    }
    static FieldList click() {
        FieldList list;
        list.add("do", "alert");
        return list;
    }

    RuntimeFixture runtime_;
    KeepingResumer resumer_;
};

// The post that brings the session back only shows its page: no values are applied and no
// event runs; the page posts to track 0 and goes on from there.
TEST_F(SessionResumerTest, KeptIdComesBackWithoutReplayingThePost) {
    Reply resumed = send("POST", "/EXEC/7/" + kKeptId, click());
    EXPECT_EQ(resumed.status, 200);
    EXPECT_NE(resumed.body.find("Resumed"), std::string::npos) << resumed.body;
    EXPECT_NE(resumed.body.find("action=/EXEC/0/" + kKeptId), std::string::npos) << resumed.body;
    EXPECT_EQ(resumed.body.find("You have attempted to post"), std::string::npos);
    TWFApplication* session = Sessions().LookupSession(kKeptId);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(RuntimeFixture::pageOf(*session).submits, 0);

    Reply next = send("POST", "/EXEC/0/" + kKeptId, click());
    EXPECT_EQ(RuntimeFixture::pageOf(*session).submits, 1);
    EXPECT_NE(next.body.find("action=/EXEC/1/" + kKeptId), std::string::npos) << next.body;
    EXPECT_EQ(resumer_.asked, 1);
}

TEST_F(SessionResumerTest, IdsNotKeptGetTheExpiredPage) {
    struct Case {
        const char* title;
        SessionResumer* resumer;
        std::string id;
        int asked;
    };
    const Case cases[] = {
        {"kept nothing", &resumer_, std::string(28, 'z'), 1},
        {"no resumer installed", nullptr, kKeptId, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.title);
        resumer_.asked = 0;
        SetSessionResumer(test.resumer);
        Reply reply = send("POST", "/EXEC/3/" + test.id, click());
        EXPECT_EQ(reply.status, 500);
        EXPECT_NE(reply.body.find("Session not found. Session may have expired."), std::string::npos);
        EXPECT_EQ(Sessions().LookupSession(test.id), nullptr);
        EXPECT_EQ(resumer_.asked, test.asked);
    }
}

TEST_F(SessionResumerTest, LiveSessionsAreNeverResumed) {
    Reply probe = send("GET", "/");
    const std::string marker = "action=\"/EXEC/0/";
    const std::string id = probe.body.substr(probe.body.find(marker) + marker.size(), 28);
    resumer_.kept.insert(id);
    send("POST", "/EXEC/0/" + id);
    send("POST", "/EXEC/1/" + id, click());
    send("GET", "/PING/" + id);
    EXPECT_EQ(resumer_.asked, 0);
}

// A keep-alive brings the session back too; the page's next post then carries an old
// track number and is answered with the resync warning, as any stale post is.
TEST_F(SessionResumerTest, KeepAliveBringsTheSessionBackAndTheNextPostResyncs) {
    EXPECT_EQ(send("GET", "/PING/" + kKeptId).status, 200);
    TWFApplication* session = Sessions().LookupSession(kKeptId);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->TrackID(), 0);
    Reply stale = send("POST", "/EXEC/5/" + kKeptId, click());
    EXPECT_NE(stale.body.find("window.alert(\"You have attempted to post or refresh data"), std::string::npos)
        << stale.body;
    EXPECT_EQ(RuntimeFixture::pageOf(*session).submits, 0);
    EXPECT_EQ(resumer_.asked, 1);
}

}  // namespace
}  // namespace web
