#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "tests/support/HttpTestClient.h"
#include "tests/support/RuntimeFixture.h"
#include "web/server/ServerLog.h"
#include "web/server/transport/ConnectionLoop.h"
#include "web/server/transport/JobQueue.h"
#include "web/server/transport/WorkerWait.h"

namespace web {
namespace {

using testing_support::HttpReply;
using testing_support::HttpTestClient;

// A connection from a chosen loopback address (the loopback range stands for several
// machines of the exam network), with reads that give up after `seconds`.
Socket connectFrom(const char* source, int port, int seconds = 5) {
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    timeval timeout{seconds, 0};
    setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, source, &local.sin_addr);
    if (::bind(socket.fd(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        throw std::runtime_error("cannot bind the client");
    }
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    if (::connect(socket.fd(), reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        throw std::runtime_error("cannot connect");
    }
    return socket;
}

void sendText(const Socket& socket, const std::string& text) {
    ::send(socket.fd(), text.data(), text.size(), MSG_NOSIGNAL);
}

// True when the server closed the connection without sending anything.
bool closedWithoutReply(const Socket& socket) {
    char byte = 0;
    return ::recv(socket.fd(), &byte, 1, 0) == 0;
}

// Answers "/throw" by throwing, "/big" with a body of kBigBody bytes from a stream, "/held"
// with the same body held in memory, and anything else with the path.
class LoopFixture : public ::testing::Test {
protected:
    static constexpr std::size_t kBigBody = 3 * 1024 * 1024 + 17;

    void start(std::size_t workers, ConnectionLimits limits = {}) {
        int port = 0;
        Socket listener = BindListener("127.0.0.1", 0, 512, port);
        loop_ = std::make_unique<ConnectionLoop>(std::move(listener), port, handler(),
                                                 runtime_.folder().string() + "/", workers, limits);
        client_ = std::make_unique<HttpTestClient>(port);
    }

    void start(std::size_t workers, ConnectionLimits limits, ConnectionLoop::RequestHandler handler) {
        int port = 0;
        Socket listener = BindListener("127.0.0.1", 0, 512, port);
        loop_ = std::make_unique<ConnectionLoop>(std::move(listener), port, std::move(handler),
                                                 runtime_.folder().string() + "/", workers, limits);
        client_ = std::make_unique<HttpTestClient>(port);
    }

    static ConnectionLoop::RequestHandler handler() {
        return [](TInHTTPAppRequest& request, TInHTTPAppResponse& response) {
            if (request.path == "/throw") throw std::runtime_error("handler failed");
            if (request.path == "/big") {
                static const std::string body = bigBody();
                response.setContentStream(std::make_unique<MemoryContentStream>(body));
                return;
            }
            if (request.path == "/held") return response.setContent(bigBody());
            response.setContent("path=" + request.path);
        };
    }

    static std::string bigBody() {
        std::string body(kBigBody, '\0');
        for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
        return body;
    }

    int port() const { return loop_->Port(); }

    testing_support::RuntimeFixture runtime_;
    std::unique_ptr<ConnectionLoop> loop_;
    std::unique_ptr<HttpTestClient> client_;
};

TEST_F(LoopFixture, OneAddressOverItsLimitIsClosedWhileOthersAreServed) {
    std::vector<std::string> log;
    std::mutex logMutex;
    SetLogSink([&](const std::string& line) {
        std::lock_guard lock(logMutex);
        log.push_back(line);
    });
    start(4);
    std::vector<Socket> hall;
    for (int i = 0; i < 256; ++i) hall.push_back(connectFrom("127.0.0.2", port()));
    // Connections are accepted in the order they came: once a later one is answered,
    // all 256 are open on the server.
    ASSERT_EQ(client_->get("/first").body, "path=/first");
    ASSERT_EQ(loop_->OpenConnections(), 256u);

    Socket over = connectFrom("127.0.0.2", port());
    EXPECT_TRUE(closedWithoutReply(over)) << "the 257th connection of one address";
    Socket overAgain = connectFrom("127.0.0.2", port());
    EXPECT_TRUE(closedWithoutReply(overAgain));
    EXPECT_EQ(client_->get("/other").body, "path=/other");
    {
        std::lock_guard lock(logMutex);
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [](const std::string& line) {
                                    return line.starts_with("Connection limit: 127.0.0.2 ");
                                }),
                  1)
            << "logged once a minute at most";
    }

    hall.front() = Socket();  // one of the 256 ends, so one more may come
    bool admitted = false;
    for (int attempt = 0; attempt < 50 && !admitted; ++attempt) {
        Socket again = connectFrom("127.0.0.2", port());
        sendText(again, "GET /again HTTP/1.0\r\n\r\n");
        char reply[16] = {};
        admitted = ::recv(again.fd(), reply, sizeof reply, 0) > 0;
    }
    EXPECT_TRUE(admitted);
    loop_->Stop();
    SetLogSink(nullptr);
}

TEST_F(LoopFixture, SlowSendersDoNotHoldTheWorkers) {
    start(1);
    std::vector<Socket> slow;
    for (int i = 0; i < 50; ++i) {
        slow.push_back(connectFrom("127.0.0.3", port()));
        sendText(slow.back(), "POST /slow HTTP/1.1\r\nContent-Length: 100\r\n\r\nonly part");
    }
    HttpReply reply = client_->get("/quick");
    EXPECT_TRUE(reply.answered);
    EXPECT_EQ(reply.body, "path=/quick");
}

TEST_F(LoopFixture, ALargeStreamedReplyArrivesWhole) {
    start(2);
    HttpReply reply = client_->get("/big");
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.headers.value("Content-Length"), std::to_string(kBigBody));
    EXPECT_EQ(reply.body.size(), kBigBody);
    EXPECT_TRUE(reply.body == bigBody());
    EXPECT_EQ(loop_->TotalBytes(), kBigBody);
}

// A reply held in memory is far larger than the socket takes while its client does not
// read; it is finished as the client reads, and the one worker serves on meanwhile.
TEST_F(LoopFixture, AReplyTheSocketCannotTakeAtOnceIsFinishedWhileTheWorkerServesOn) {
    start(1);
    Socket reader = connectFrom("127.0.0.5", port());
    sendText(reader, "GET /held HTTP/1.0\r\n\r\n");
    EXPECT_EQ(client_->get("/meanwhile").body, "path=/meanwhile");

    std::string received;
    char buffer[65536];
    for (ssize_t got; (got = ::recv(reader.fd(), buffer, sizeof buffer, 0)) > 0;)
        received.append(buffer, static_cast<std::size_t>(got));
    const std::size_t bodyStart = received.find("\r\n\r\n");
    ASSERT_NE(bodyStart, std::string::npos);
    EXPECT_TRUE(received.substr(bodyStart + 4) == bigBody()) << received.size() << " bytes received";
}

TEST_F(LoopFixture, AWorkerWhoseHandlerThrowsAnswersTheErrorPageAndServesOn) {
    start(1);
    HttpReply failed = client_->get("/throw");
    EXPECT_EQ(failed.status, 500);
    EXPECT_NE(failed.body.find("handler failed"), std::string::npos) << failed.body;
    EXPECT_EQ(client_->get("/after").body, "path=/after");
}

TEST_F(LoopFixture, ARequestNotCompleteByTheDeadlineIsClosed) {
    ConnectionLimits limits;
    limits.requestDeadline = std::chrono::milliseconds(300);
    start(1, limits);
    Socket trickle = connectFrom("127.0.0.1", port());
    sendText(trickle, "GET /never HTTP/1.1\r\nHost: x\r\n");
    EXPECT_TRUE(closedWithoutReply(trickle));
    EXPECT_EQ(client_->get("/still").body, "path=/still");
}

// The worker works out a request's parameters; one it cannot serve is closed as the loop
// closed it before, and the worker goes on.
TEST_F(LoopFixture, ARequestItsWorkerCannotServeIsClosedWithoutAReply) {
    start(1);
    Socket digest = connectFrom("127.0.0.1", port());
    sendText(digest, "GET /secret HTTP/1.1\r\nHost: x\r\nAuthorization: Digest username=\"a\"\r\n\r\n");
    EXPECT_TRUE(closedWithoutReply(digest));
    EXPECT_EQ(client_->get("/after").body, "path=/after");
}

TEST_F(LoopFixture, StoppingClosesConnectionsMidRequestAtOnce) {
    start(2);
    std::vector<Socket> waiting;
    for (int i = 0; i < 100; ++i) {
        waiting.push_back(connectFrom("127.0.0.4", port()));
        sendText(waiting.back(), "GET /half");
    }
    EXPECT_EQ(client_->get("/ping").status, 200);  // every connection above is accepted by now
    auto begin = std::chrono::steady_clock::now();
    loop_->Stop();
    auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_LT(took, std::chrono::seconds(1));
    for (const Socket& socket : waiting) EXPECT_TRUE(closedWithoutReply(socket));
    EXPECT_EQ(loop_->OpenConnections(), 0u);
}

// "/wait" waits (saying so) and "/block" waits (without saying so) until "/release" comes.
class HeldRequests {
public:
    ConnectionLoop::RequestHandler handler() {
        return [this](TInHTTPAppRequest& request, TInHTTPAppResponse& response) {
            if (request.path == "/wait") {
                WorkerWait wait(WorkerWait::Resume::InTurn);
                if (!awaitRelease()) return response.setContent("never released");
            } else if (request.path == "/block") {
                if (!awaitRelease()) return response.setContent("never released");
            } else if (request.path == "/release") {
                std::lock_guard lock(mutex_);
                released_ = true;
                changed_.notify_all();
            }
            response.setContent("path=" + request.path);
        };
    }
    // Blocks until a held request has reached its handler.
    void awaitArrival() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return arrived_; });
    }

private:
    bool awaitRelease() {
        std::unique_lock lock(mutex_);
        arrived_ = true;
        changed_.notify_all();
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return released_; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool arrived_ = false;
    bool released_ = false;
};

std::string replyOf(const Socket& socket) {
    std::string reply;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::recv(socket.fd(), buffer, sizeof buffer, 0)) > 0)
        reply.append(buffer, static_cast<std::size_t>(got));
    return reply;
}

// A loop that runs one request at once, holding `path` in its handler until "/release".
class OneRunningFixture : public LoopFixture {
protected:
    Socket startHolding(const std::string& path, std::chrono::milliseconds stallTime) {
        ConnectionLimits limits;
        limits.runningRequests = 1;
        limits.stallTime = stallTime;
        start(2, limits, held_.handler());
        Socket held = connectFrom("127.0.0.1", port());
        sendText(held, "GET " + path + " HTTP/1.0\r\n\r\n");
        held_.awaitArrival();
        return held;
    }

    HeldRequests held_;
};

TEST_F(OneRunningFixture, AWorkerThatWaitsLetsTheNextRequestRunAndResumesAfterIt) {
    // Only the worker's own word frees its place: the stall time is out of reach.
    Socket waiting = startHolding("/wait", std::chrono::minutes(1));
    EXPECT_EQ(client_->get("/release").body, "path=/release");
    EXPECT_NE(replyOf(waiting).find("path=/wait"), std::string::npos);
    EXPECT_EQ(client_->get("/after").body, "path=/after");
}

TEST_F(OneRunningFixture, ARequestThatBlocksWithoutSayingSoStopsCountingAfterTheStallTime) {
    Socket blocked = startHolding("/block", std::chrono::milliseconds(100));
    EXPECT_EQ(client_->get("/release").body, "path=/release");
    EXPECT_NE(replyOf(blocked).find("path=/block"), std::string::npos);
}

struct QueuedJob {
    TInHTTPAppRequest request;
    int number;
    bool isPost() const { return request.isPost(); }
};

QueuedJob queued(const char* method, int number) {
    QueuedJob job{TInHTTPAppRequest{}, number};
    job.request.method = method;
    return job;
}

TEST(JobQueue, RequestsWithoutABodyGoFirstButEveryFifthTurnTakesAPost) {
    JobQueue<QueuedJob> queue;
    for (int n = 1; n <= 3; ++n) queue.push(queued("POST", n));
    for (int n = 11; n <= 16; ++n) queue.push(queued(n % 2 == 0 ? "GET" : "HEAD", n));
    std::vector<int> order;
    while (!queue.empty()) order.push_back(queue.pop().number);
    EXPECT_EQ(order, (std::vector<int>{11, 12, 13, 14, 1, 15, 16, 2, 3}));
}

}  // namespace
}  // namespace web
