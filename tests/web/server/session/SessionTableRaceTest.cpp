// The session table under threads: the time-out sweep beside a slow session close, and
// bound-session lookups beside sessions that come and go.

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "tests/support/RuntimeFixture.h"
#include "web/server/session/SessionExpiry.h"
#include "web/server/TWFApplication.h"
#include "web/server/session/SessionTable.h"

namespace web {
namespace {

using namespace std::chrono_literals;

// User data whose destruction waits until the test lets it go: a session whose database
// close is stuck behind a burst of writers.
class StuckUserData : public TWFUserData {
public:
    StuckUserData(std::shared_future<void> letGo, std::atomic<int>& freed)
        : letGo_(std::move(letGo)), freed_(freed) {}
    ~StuckUserData() override {
        letGo_.wait();
        ++freed_;
    }

private:
    std::shared_future<void> letGo_;
    std::atomic<int>& freed_;
};

// Polls `done` for at most `limit`.
template <typename Condition>
bool waitFor(Condition done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

class SessionTableRaceTest : public ::testing::Test {
protected:
    // An idle session already past its time-out.
    std::string addExpired(std::unique_ptr<TWFUserData> data = nullptr, std::string bind = "") {
        auto session = std::make_unique<TWFApplication>(TWFSessionStart{});
        session->SetTimeout(0ms);
        session->SetUserData(std::move(data));
        session->BindValue = std::move(bind);
        std::string id = session->SessionID();
        table().addIdle(std::move(session));
        return id;
    }

    SessionTable& table() { return runtime_.sessions(); }

    testing_support::RuntimeFixture runtime_;
};

TEST_F(SessionTableRaceTest, ASlowCloseDoesNotHoldUpTheTimeOutSweep) {
    std::promise<void> letGo;
    std::shared_future<void> released = letGo.get_future().share();
    std::atomic<int> freed = 0;
    TSessionTimeoutThread sweep(table(), 20ms);
    const std::string stuck = addExpired(std::make_unique<StuckUserData>(released, freed));
    const bool firstCollected = waitFor([&] { return !table().contains(stuck); }, 5s);

    // While the first close still waits, the next expired session must leave the table.
    const std::string next = addExpired(std::make_unique<StuckUserData>(released, freed));
    const bool nextCollected = waitFor([&] { return !table().contains(next); }, 2s);
    letGo.set_value();
    sweep.stop();

    EXPECT_TRUE(firstCollected);
    EXPECT_TRUE(nextCollected);
    EXPECT_EQ(freed, 2) << "stopping frees every session handed over";
}

TEST_F(SessionTableRaceTest, BoundSessionIsFoundByItsIdWithoutRegardToCase) {
    const std::string id = addExpired(nullptr, "Desk-7");
    EXPECT_EQ(table().findBound("desk-7"), id);
    EXPECT_EQ(table().findBound("desk-8"), std::nullopt);

    SessionLock busy = table().lock(id, TWFBrowser::brUnknown, "");
    EXPECT_EQ(table().findBound("desk-7"), std::nullopt) << "a busy session is not offered";
    busy.release();
}

TEST_F(SessionTableRaceTest, BoundLookupsBesideSessionsThatEnd) {
    // One thread opens and ends bound sessions while another looks them up; every id
    // it is given must be whole, never read from a session freed meanwhile.
    std::atomic<bool> done = false;
    std::thread churn([&] {
        const auto end = std::chrono::steady_clock::now() + 1s;
        for (int round = 0; round < 5000 && std::chrono::steady_clock::now() < end; ++round) {
            table().removeIdle(addExpired(nullptr, "hall"));
        }
        done = true;
    });
    int found = 0;
    int malformed = 0;
    while (!done) {
        if (std::optional<std::string> id = table().findBound("HALL")) {
            ++found;
            if (id->size() != 28) ++malformed;
        }
    }
    churn.join();
    EXPECT_EQ(malformed, 0) << "of " << found << " found";
}

}  // namespace
}  // namespace web
