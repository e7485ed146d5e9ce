// The dispatcher asks the server's resumer about sessions the table does not hold.

#include <gtest/gtest.h>

#include "tests/support/RuntimeFixture.h"
#include "web/server/Errors.h"
#include "web/server/session/SessionResumer.h"

namespace web {
namespace {

const char* const kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

// Brings sessions back on a probe page named "Resumed", with the id it is given or
// another, and the track number the test asks for.
class ProbeResumer : public SessionResumer {
public:
    enum class Answer { nothing, sameId, otherId };

    std::unique_ptr<TWFApplication> resume(const std::string& sessionId, TWFSessionStart start) override {
        asked.push_back(sessionId);
        if (answer == Answer::nothing) return nullptr;
        if (answer == Answer::otherId) start.sessionID = std::string(28, 'o');
        start.trackID = track;
        auto session = std::make_unique<TWFApplication>(start);
        IWFForm& page = session->AdoptForm(std::make_unique<testing_support::ProbePage>("Resumed"));
        session->FormShown(page);
        return session;
    }

    Answer answer = Answer::sameId;
    long long track = 1;
    std::vector<std::string> asked;
};

class SessionResumerTest : public ::testing::Test {
protected:
    struct Reply {
        int status = 0;
        std::string body;
    };

    Reply get(const std::string& path) { return send("GET", path, {}); }
    Reply post(const std::string& path, const FieldList& fields = {}) { return send("POST", path, fields); }

    Reply send(const std::string& method, const std::string& path, const FieldList& fields) {
        TInHTTPAppRequest request;
        request.method = method;
        request.path = path;
        request.peerAddress = "127.0.0.1";
        request.host = "127.0.0.1";
        request.serverPort = 8089;
        request.headers.add("User-Agent", kChrome);
        (method == "POST" ? request.contentFields : request.queryFields) = fields;
        TInHTTPAppResponse response;
        runtime_.dispatch(request, response);
        Reply reply{response.statusCode, response.content};
        if (response.contentStream) reply.body = readAll(*response.contentStream);
        return reply;
    }

    static FieldList clickFields() {
        FieldList fields;
        fields.add("do", "alert");
        return fields;
    }

    int submitsOf(const std::string& id) {
        int submits = -1;
        runtime_.sessions().peek(id, [&](TWFApplication& session) {
            submits = testing_support::RuntimeFixture::pageOf(session).submits;
        });
        return submits;
    }

    std::shared_ptr<ProbeResumer> install() {
        auto resumer = std::make_shared<ProbeResumer>();
        runtime_.runtime().setResumer(resumer);
        return resumer;
    }

    const std::string id_ = std::string(27, 'r') + "1";
    testing_support::RuntimeFixture runtime_;
};

TEST_F(SessionResumerTest, WithoutAResumerAnUnknownSessionHasExpired) {
    Reply reply = post("/EXEC/1/" + id_);
    EXPECT_EQ(reply.status, 500);
    EXPECT_NE(reply.body.find("Session not found. Session may have expired."), std::string::npos);
}

TEST_F(SessionResumerTest, SessionsTheResumerCannotBringBackHaveExpired) {
    auto resumer = install();
    for (ProbeResumer::Answer answer : {ProbeResumer::Answer::nothing, ProbeResumer::Answer::otherId}) {
        resumer->answer = answer;
        Reply reply = post("/EXEC/1/" + id_);
        EXPECT_EQ(reply.status, 500);
        EXPECT_NE(reply.body.find("Session not found. Session may have expired."), std::string::npos);
    }
    EXPECT_EQ(resumer->asked, (std::vector<std::string>{id_, id_}));
    EXPECT_EQ(runtime_.sessions().count(), 0u) << "a session under another id is not kept";
}

TEST_F(SessionResumerTest, OnlyIdsOfLettersAndDigitsAreAskedAbout) {
    auto resumer = install();
    for (const std::string& id : std::vector<std::string>{"..", "a.b", "%2e%2e", std::string(65, 'a')}) {
        Reply reply = post("/EXEC/1/" + id);
        EXPECT_EQ(reply.status, 500) << id;
        EXPECT_NE(reply.body.find("Session not found. Session may have expired."), std::string::npos) << id;
    }
    EXPECT_TRUE(resumer->asked.empty());
    TWFSessionStart start;
    start.sessionID = "..";
    EXPECT_THROW(TWFApplication{start}, EInvalidSession);
}

TEST_F(SessionResumerTest, ResumedSessionAnswersThePendingPost) {
    auto resumer = install();
    Reply reply = post("/EXEC/1/" + id_, [] {
        FieldList fields;
        fields.add("answer", "B");
        return fields;
    }());
    EXPECT_EQ(reply.status, 200);
    EXPECT_NE(reply.body.find("page=Resumed"), std::string::npos) << reply.body;
    EXPECT_NE(reply.body.find("action=/EXEC/2/" + id_), std::string::npos) << reply.body;
    EXPECT_TRUE(runtime_.sessions().contains(id_));
    int submits = 0;
    std::string answer;
    runtime_.sessions().peek(id_, [&](TWFApplication& session) {
        submits = testing_support::RuntimeFixture::pageOf(session).submits;
        answer = testing_support::RuntimeFixture::pageOf(session).lastParams.value("answer");
    });
    EXPECT_EQ(submits, 1);
    EXPECT_EQ(answer, "B");

    // From now on the session is live: the resumer is not asked again.
    EXPECT_EQ(post("/EXEC/2/" + id_).status, 200);
    EXPECT_EQ(resumer->asked.size(), 1u);
}

// A resumer that restarts the track: the post that brought the session back only shows
// the restored page (no warning, nothing applied); the page posts on from the new track.
TEST_F(SessionResumerTest, ResumedOnAnotherTrackShowsItsPageWithoutReplayingThePost) {
    auto resumer = install();
    resumer->track = 0;
    Reply reply = post("/EXEC/7/" + id_, clickFields());
    EXPECT_EQ(reply.status, 200);
    EXPECT_NE(reply.body.find("page=Resumed"), std::string::npos) << reply.body;
    EXPECT_EQ(reply.body.find("You have attempted to post"), std::string::npos) << reply.body;
    EXPECT_NE(reply.body.find("action=/EXEC/0/" + id_), std::string::npos) << reply.body;
    EXPECT_EQ(submitsOf(id_), 0);

    post("/EXEC/0/" + id_, clickFields());
    EXPECT_EQ(submitsOf(id_), 1);
    EXPECT_EQ(resumer->asked.size(), 1u);
}

// The keep-alive of a page left open brings its session back too; the page's next post then
// carries an older track number and gets the resync warning, as any stale post does.
TEST_F(SessionResumerTest, KeepAliveBringsTheSessionBackAndTheNextPostResyncs) {
    auto resumer = install();
    resumer->track = 0;
    EXPECT_EQ(get("/PING/" + id_).status, 200);
    ASSERT_TRUE(runtime_.sessions().contains(id_));
    Reply stale = post("/EXEC/5/" + id_, clickFields());
    EXPECT_NE(stale.body.find("window.alert(\"You have attempted to post or refresh data"), std::string::npos)
        << stale.body;
    EXPECT_EQ(submitsOf(id_), 0);
    EXPECT_EQ(resumer->asked.size(), 1u);
}

TEST_F(SessionResumerTest, LiveSessionsAreNeverAskedAbout) {
    auto resumer = install();
    Reply start = get("/");
    const std::string marker = "action=\"/EXEC/0/";
    ASSERT_NE(start.body.find(marker), std::string::npos) << start.body;
    const std::string id = start.body.substr(start.body.find(marker) + marker.size(), 28);
    post("/EXEC/0/" + id);
    post("/EXEC/1/" + id, clickFields());
    get("/PING/" + id);
    EXPECT_TRUE(resumer->asked.empty());
}

}  // namespace
}  // namespace web
