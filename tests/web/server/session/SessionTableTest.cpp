// The session table's lock handle: one request at a time per session, and a session
// never outlives the handle that holds it unless it is given back.

#include <gtest/gtest.h>

#include <thread>

#include "web/server/Errors.h"
#include "web/server/session/SessionTable.h"

namespace web {
namespace {

// User data that reports when its session is freed.
class FreedFlag : public TWFUserData {
public:
    explicit FreedFlag(bool& freed) : freed_(freed) {}
    ~FreedFlag() override { freed_ = true; }

private:
    bool& freed_;
};

std::string addSession(SessionTable& table, const std::string& clientIP = "10.1.2.3", bool* freed = nullptr) {
    TWFSessionStart start;
    start.browserKind = TWFBrowser::brIE;
    start.clientIP = clientIP;
    auto session = std::make_unique<TWFApplication>(start);
    if (freed != nullptr) session->SetUserData(std::make_unique<FreedFlag>(*freed));
    std::string id = session->SessionID();
    table.addIdle(std::move(session));
    return id;
}

TEST(SessionTableTest, HeldSessionRefusesASecondRequestUntilGivenBack) {
    SessionTable table;
    const std::string id = addSession(table);
    {
        SessionLock held = table.lock(id, TWFBrowser::brIE, "10.1.2.3");
        EXPECT_EQ(held->SessionID(), id);
        EXPECT_THROW(table.lock(id, TWFBrowser::brIE, "10.1.2.3"), ESessionAlreadyLocked);
        EXPECT_TRUE(table.contains(id)) << "a held session is still live";
        EXPECT_EQ(table.count(), 1u);
        EXPECT_EQ(table.findBound(""), std::nullopt) << "a held session is not offered";
    }
    SessionLock again = table.lock(id, TWFBrowser::brIE, "10.1.2.3");
    EXPECT_TRUE(again);
}

TEST(SessionTableTest, LockRefusals) {
    SessionTable open;
    SessionTable sameAddress(SessionAddressRule{true, false});
    SessionTable sameSubnet(SessionAddressRule{false, true});
    struct Case {
        const char* why;
        SessionTable& table;
        TWFBrowser browser;
        std::string clientIP;
        std::string message;  // empty: locked
    };
    const Case cases[] = {
        {"other address, no rule", open, TWFBrowser::brIE, "10.9.9.9", ""},
        {"other browser", open, TWFBrowser::brOpera, "10.1.2.3",
         "Security Exception: The browser you are using is different than the one that is assigned to the "
         "specified session."},
        {"other address", sameAddress, TWFBrowser::brIE, "10.1.2.4",
         "Security Exception: The IP you are using is different than the one that is assigned to the "
         "specified "
         "session."},
        {"same class A network", sameSubnet, TWFBrowser::brIE, "10.200.1.1", ""},
        {"other class A network", sameSubnet, TWFBrowser::brIE, "11.1.2.3",
         "Security Exception: The IP you are using is from a different subnet than the one that is assigned "
         "to the "
         "specified session."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string id = addSession(c.table);
        try {
            SessionLock held = c.table.lock(id, c.browser, c.clientIP);
            EXPECT_EQ(c.message, "");
        } catch (const EWFException& error) {
            EXPECT_EQ(error.what(), c.message);
        }
        EXPECT_NO_THROW(c.table.lock(id, TWFBrowser::brIE, "10.1.2.3"))
            << "a refusal leaves the session idle";
    }
    EXPECT_THROW(open.lock(std::string(28, 'x'), TWFBrowser::brIE, ""), EInvalidSession);
}

TEST(SessionTableTest, IdsMatchWithoutRegardToCase) {
    SessionTable table;
    const std::string id = addSession(table);
    std::string upper = id;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(table.contains(upper));
    EXPECT_EQ(table.lock(upper, TWFBrowser::brIE, "")->SessionID(), id);
}

TEST(SessionTableTest, EndFreesTheSessionAndGivingBackRefreshesItsClock) {
    SessionTable table;
    bool freed = false;
    const std::string ended = addSession(table, "10.1.2.3", &freed);
    const std::string kept = addSession(table);
    SessionLock ending = table.lock(ended, TWFBrowser::brIE, "");
    ending.end();
    EXPECT_TRUE(freed);
    EXPECT_FALSE(ending);
    EXPECT_FALSE(table.contains(ended));
    EXPECT_EQ(table.count(), 1u);

    TimePoint before{};
    table.peek(kept, [&](TWFApplication& session) { before = session.LastAccess(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    table.lock(kept, TWFBrowser::brIE, "").release();
    TimePoint after{};
    EXPECT_TRUE(table.peek(kept, [&](TWFApplication& session) { after = session.LastAccess(); }));
    EXPECT_GT(after, before);
}

TEST(SessionTableTest, MovedHandleGivesTheSessionBackOnce) {
    SessionTable table;
    const std::string id = addSession(table);
    SessionLock first = table.lock(id, TWFBrowser::brIE, "");
    SessionLock second = std::move(first);
    EXPECT_FALSE(first);
    first.release();  // a moved-from handle holds nothing
    EXPECT_THROW(table.lock(id, TWFBrowser::brIE, ""), ESessionAlreadyLocked);
    second = SessionLock();
    EXPECT_NO_THROW(table.lock(id, TWFBrowser::brIE, ""));
    EXPECT_EQ(table.count(), 1u);
}

TEST(SessionTableTest, RemoveIdleLeavesAHeldSessionAlone) {
    SessionTable table;
    bool freed = false;
    const std::string id = addSession(table, "10.1.2.3", &freed);
    {
        SessionLock held = table.lock(id, TWFBrowser::brIE, "");
        EXPECT_FALSE(table.removeIdle(id));
        EXPECT_FALSE(freed);
    }
    EXPECT_TRUE(table.removeIdle(id));
    EXPECT_TRUE(freed);
    EXPECT_EQ(table.count(), 0u);
}

}  // namespace
}  // namespace web
