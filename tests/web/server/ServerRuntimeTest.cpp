// A server runtime's settings and session table against the requests that use them.

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "tests/support/RuntimeFixture.h"
#include "web/server/HttpDate.h"
#include "web/server/ServerRuntime.h"

namespace web {
namespace {

using namespace std::chrono_literals;

const char* const kChrome =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

struct Answer {
    std::string body;
    FieldList headers;
};

Answer send(const ServerRuntime::Handler& handler, const std::string& method, const std::string& path,
            const FieldList& fields = {}) {
    TInHTTPAppRequest request;
    request.method = method;
    request.path = path;
    request.peerAddress = "127.0.0.1";
    request.headers.add("User-Agent", kChrome);
    (method == "POST" ? request.contentFields : request.queryFields) = fields;
    TInHTTPAppResponse response;
    handler(request, response);
    Answer answer{response.content, response.customHeaders};
    if (response.contentStream) answer.body = readAll(*response.contentStream);
    return answer;
}

FieldList fields(std::initializer_list<std::pair<std::string, std::string>> pairs) {
    FieldList list;
    for (const auto& [name, value] : pairs) list.add(name, value);
    return list;
}

class ServerRuntimeTest : public ::testing::Test {
protected:
    ~ServerRuntimeTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // A runtime with its own command word and cache expiry, whose probe pages run
    // `onSubmit` at every submit.
    std::unique_ptr<ServerRuntime> makeRuntime(std::function<void(const FieldList&)> onSubmit) {
        auto settings = testing_support::ProbeSettings(folder_);
        settings->ExecCmd = "RUN";
        settings->CacheExpiry = 7;
        settings->MainForm40 = [onSubmit](TWFApplication&) {
            auto page = std::make_unique<testing_support::ProbePage>();
            page->onSubmit = onSubmit;
            return page;
        };
        return std::make_unique<ServerRuntime>(std::move(settings));
    }

    static std::string startSession(const ServerRuntime::Handler& handler) {
        Answer probe = send(handler, "GET", "/");
        std::size_t at = probe.body.find("action=\"/RUN/0/");
        if (at == std::string::npos) return "";
        std::string id = probe.body.substr(at + 15, 28);
        send(handler, "POST", "/RUN/0/" + id, fields({{"WF_width", "800"}, {"WF_height", "600"}}));
        return id;
    }

    std::filesystem::path folder_ = testing_support::MakeTemporaryFolder("runtime-life");
};

// The host stops its server while a request is still in a page handler; when the handler
// returns, the reply is still made from the server's own settings and the session is
// given back to a whole table.
TEST_F(ServerRuntimeTest, RequestThatOutlivesItsServerStillAnswersFromItsSettings) {
    std::promise<void> entered;
    std::promise<void> letGo;
    std::shared_future<void> released = letGo.get_future().share();
    auto runtime = makeRuntime([&](const FieldList& params) {
        if (params.value("do") != "wait") return;
        entered.set_value();
        released.wait();
    });
    ServerRuntime::Handler handler = runtime->handler();
    const std::string id = startSession(handler);
    ASSERT_EQ(id.size(), 28u);

    std::future<Answer> late = std::async(std::launch::async, [&] {
        return send(handler, "POST", "/RUN/1/" + id, fields({{"do", "wait"}}));
    });
    ASSERT_EQ(entered.get_future().wait_for(5s), std::future_status::ready);
    runtime.reset();
    letGo.set_value();
    Answer answer = late.get();

    EXPECT_NE(answer.body.find("action=/RUN/2/" + id), std::string::npos) << answer.body;
    std::optional<TimePoint> expires = parseHttpDate(answer.headers.value("Expires"));
    ASSERT_TRUE(expires.has_value());
    EXPECT_GT(*expires, Clock::now() + 6min);
    EXPECT_LT(*expires, Clock::now() + 8min);
}

// Two servers in one process keep their own settings and sessions apart.
TEST_F(ServerRuntimeTest, TwoServersKeepTheirSessionsApart) {
    auto first = makeRuntime(nullptr);
    testing_support::RuntimeFixture second;
    const std::string id = startSession(first->handler());
    ASSERT_EQ(id.size(), 28u);
    EXPECT_TRUE(first->sessions().contains(id));
    EXPECT_FALSE(second.sessions().contains(id));
    EXPECT_EQ(second.sessions().count(), 0u);
}

// An error in the application's own site pages is answered with the server's error page,
// made from this server's settings (its application name), not the built-in defaults.
TEST_F(ServerRuntimeTest, SitePageErrorIsAnsweredFromTheServersSettings) {
    auto settings = testing_support::ProbeSettings(folder_);
    settings->Description = "Hall 3";
    settings->OnSiteRequest = [](const TInHTTPAppRequest& request, TInHTTPAppResponse&, const SessionTable&) {
        if (request.path == "/site") throw std::runtime_error("site broke");
        return false;
    };
    ServerRuntime runtime(std::move(settings));
    TInHTTPAppRequest request;
    request.method = "GET";
    request.path = "/site";
    TInHTTPAppResponse response;
    runtime.handler()(request, response);
    EXPECT_EQ(response.statusCode, 500);
    EXPECT_NE(response.content.find("site broke"), std::string::npos) << response.content;
    EXPECT_NE(response.content.find("Hall 3"), std::string::npos) << response.content;
}

}  // namespace
}  // namespace web
