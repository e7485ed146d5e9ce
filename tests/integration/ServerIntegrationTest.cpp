#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/HttpTestClient.h"
#include "tests/support/RuntimeFixture.h"
#include "web/server/HttpDate.h"
#include "web/server/transport/ConnectionLoop.h"
#include "web/server/transport/Socket.h"
#include "web/server/session/SessionTable.h"
#include "web/server/TWFStandAloneServer.h"

namespace {

using testing_support::HttpReply;
using testing_support::HttpTestClient;

// The real server on a loopback port chosen by the system, showing probe pages.
class ServerIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing_support::MakeTemporaryFolder("server");
        std::filesystem::create_directories(folder_ / "Files");
        std::ofstream(folder_ / "Files" / "img01.jpg") << "picture";
        std::ofstream(folder_ / "secret.txt") << "secret";
        std::filesystem::create_symlink(folder_ / "secret.txt", folder_ / "Files" / "link.jpg");
        web::RegisterServerController([] {
            auto controller = std::make_unique<web::TWFServerControllerBase>();
            controller->MainForm40 = [](web::TWFApplication&) {
                return std::make_unique<testing_support::ProbePage>();
            };
            return controller;
        });
        server_ = std::make_unique<web::TWFStandAloneServer>(options(0));
        client_ = std::make_unique<HttpTestClient>(server_->Port());
    }

    void TearDown() override {
        server_.reset();
        web::RegisterServerController(nullptr);
        std::filesystem::remove_all(folder_);
    }

    web::TWFStandAloneServer::Options options(int port) const {
        web::TWFStandAloneServer::Options result;
        result.port = port;
        result.bindIP = "127.0.0.1";
        result.programFolder = folder_.string() + "/";
        return result;
    }

    web::SessionTable& sessions() { return server_->Runtime().sessions(); }

    std::string startSession() {
        HttpReply probe = client_->get("/");
        std::size_t at = probe.body.find("/EXEC/0/");
        if (at == std::string::npos) return "";
        std::string id = probe.body.substr(at + 8, 28);
        client_->post("/EXEC/0/" + id, "WF_width=800&WF_height=600&WF_SessionID_=" + id + "&WF_TrackID_=0");
        return id;
    }

    std::filesystem::path folder_;
    std::unique_ptr<web::TWFStandAloneServer> server_;
    std::unique_ptr<HttpTestClient> client_;
};

TEST_F(ServerIntegrationTest, BrowserStartsASessionThroughTheSizeProbe) {
    HttpReply probe = client_->get("/");
    EXPECT_EQ(probe.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(probe.headers[0].name, "Connection");
    EXPECT_EQ(probe.headers.value("Connection"), "close");
    EXPECT_EQ(probe.headers.value("Server"), "TesselHTTP/1.0");
    EXPECT_EQ(probe.headers.value("Pragma"), "no-cache");
    EXPECT_FALSE(probe.headers.contains("Expires"));
    std::size_t at = probe.body.find("<form method=post action=\"/EXEC/0/");
    ASSERT_NE(at, std::string::npos);
    std::string id = probe.body.substr(at + 34, 28);
    EXPECT_EQ(id.find('"'), std::string::npos);

    HttpReply page = client_->post("/EXEC/0/" + id, "WF_width=800&WF_height=600");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("size=800x600 action=/EXEC/1/" + id), std::string::npos) << page.body;
    EXPECT_EQ(page.headers.value("Content-Length"), std::to_string(page.body.size()));

    HttpReply next = client_->post("/EXEC/1/" + id, "x=1");
    EXPECT_TRUE(next.headers.contains("Expires"));
    EXPECT_FALSE(next.headers.contains("Pragma"));
}

TEST_F(ServerIntegrationTest, PlainRepliesOfTheDispatcher) {
    HttpReply ping = client_->get("/PING");
    EXPECT_EQ(ping.status, 200);
    EXPECT_EQ(ping.body, "<HTML><BODY><B>200 OK</B></BODY></HTML>\r\n");
    EXPECT_FALSE(ping.headers.contains("Content-Length"));

    HttpReply unknown = client_->get("/foo");
    EXPECT_EQ(unknown.statusLine, "HTTP/1.1 500 Server error");
    EXPECT_NE(unknown.body.find("Unrecognized Command: : FOO:"), std::string::npos);

    HttpReply expired = client_->post("/EXEC/3/" + std::string(28, 'x'), "");
    EXPECT_EQ(expired.status, 500);
    EXPECT_NE(expired.body.find("The current session timeout value is 10 minutes."), std::string::npos);

    HttpReply head = client_->raw("HEAD /PING HTTP/1.1\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.empty());

    EXPECT_FALSE(client_->raw("PUT / HTTP/1.1\r\n\r\n").answered);
    EXPECT_EQ(client_->raw("GET /PING HTTP/1.1\r\nConnection: keep-alive\r\n\r\n", false)
                  .headers.value("Connection"),
              "close");
}

TEST_F(ServerIntegrationTest, ApplicationFilesAndInternalResources) {
    HttpReply file = client_->get("/FILES/img01.jpg");
    EXPECT_EQ(file.status, 200);
    EXPECT_EQ(file.body, "picture");
    EXPECT_EQ(file.headers.value("Content-Type"), "image/jpeg");
    EXPECT_TRUE(file.headers.contains("Expires"));
    ASSERT_TRUE(file.headers.contains("Last-Modified"));
    EXPECT_EQ(client_->get("/files/img01.jpg", "If-Modified-Since: " + file.headers.value("Last-Modified") + "\r\n")
                  .status,
              304);

    HttpReply uncached = client_->get("/filesnc/img01.jpg");
    EXPECT_EQ(uncached.body, "picture");
    EXPECT_EQ(uncached.headers.value("Pragma"), "no-cache");
    EXPECT_FALSE(uncached.headers.contains("Expires"));

    for (const char* path : {"/files/sub/img01.jpg", "/files/missing.jpg", "/files/..%2Fsecret.txt",
                             "/files/%2e%2e%2fsecret.txt", "/files/link.jpg", "/cache/../secret.txt",
                             "/files/a%00.jpg", "/files/..%5Csecret.txt"}) {
        HttpReply missing = client_->get(path);
        EXPECT_EQ(missing.status, 404) << path;
        EXPECT_EQ(missing.headers.value("Pragma"), "no-cache") << path;
    }

    EXPECT_EQ(client_->get("/js/WFCommon.js").status, 500);
    HttpReply icon = client_->get("/favicon.ico");
    EXPECT_EQ(icon.headers.value("Content-Type"), "image/x-ico");
}

TEST_F(ServerIntegrationTest, InternalImageIsCachedUntilTheStamp) {
    HttpReply image = client_->get("/gfx/Tp.gif");
    EXPECT_EQ(image.status, 200);
    EXPECT_EQ(image.headers.value("Content-Type"), "image/gif");
    ASSERT_TRUE(image.headers.contains("Last-Modified"));
    std::optional<web::TimePoint> expires = web::parseHttpDate(image.headers.value("Expires"));
    ASSERT_TRUE(expires.has_value());
    EXPECT_GT(*expires, web::Clock::now() + std::chrono::minutes(119));
    HttpReply again = client_->get("/gfx/Tp.gif", "If-Modified-Since: " + image.headers.value("Last-Modified") + "\r\n");
    EXPECT_EQ(again.status, 304);
    EXPECT_TRUE(again.body.empty());
}

TEST_F(ServerIntegrationTest, BusySessionRefusesASecondRequest) {
    std::string id = startSession();
    ASSERT_FALSE(id.empty());
    web::SessionLock session =
        sessions().lock(id, web::DetectBrowser(testing_support::kChromeAgent), "127.0.0.1");
    HttpReply refused = client_->post("/EXEC/1/" + id, "");
    session.release();
    EXPECT_EQ(refused.status, 500);
    EXPECT_NE(refused.body.find("Session is already locked."), std::string::npos);
    EXPECT_EQ(client_->post("/EXEC/1/" + id, "").status, 200);
}

TEST_F(ServerIntegrationTest, SessionCapRefusesNewSessionsOnly) {
    std::string first = startSession();
    ASSERT_FALSE(first.empty());
    server_->Controller().MaxSessions = sessions().count();
    std::size_t before = sessions().count();
    HttpReply refused = client_->get("/");
    EXPECT_EQ(refused.status, 500);
    EXPECT_EQ(sessions().count(), before);
    EXPECT_EQ(client_->post("/EXEC/1/" + first, "").status, 200);
}

TEST_F(ServerIntegrationTest, MalformedRequestsLeaveTheServerServing) {
    const std::string id = startSession();
    ASSERT_FALSE(id.empty());
    // An empty status line: the connection is closed without a reply.
    const struct {
        std::string bytes;
        std::string statusLine;
        std::string bodyPart;
    } cases[] = {
        {"GARBAGE\r\n\r\n", "", ""},
        {"GET /%zz%0 HTTP/1.1\r\n\r\n", "HTTP/1.1 500 Server error", "Unrecognized Command: : %ZZ%0:"},
        {"GET /EXEC/-1/" + std::string(28, 'a') + " HTTP/1.1\r\n\r\n", "HTTP/1.1 500 Server error",
         "Session not found. Session may have expired."},
        {std::string(20000, 'x') + "\r\n\r\n", "", ""},
        {"GET / HTTP/1.1\r\nAuthorization: NTLM x\r\n\r\n", "", ""},
        {"POST /EXEC/1/" + id + " HTTP/1.1\r\nContent-Length: -5\r\n\r\n", "", ""},
        {"POST /EXEC/1/" + id + " HTTP/1.1\r\nContent-Length: 99\r\n\r\nshort", "", ""},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.bytes.substr(0, 60));
        HttpReply reply = client_->raw(bad.bytes);
        EXPECT_EQ(reply.answered, !bad.statusLine.empty());
        EXPECT_EQ(reply.statusLine, bad.statusLine);
        if (!bad.bodyPart.empty()) {
            EXPECT_NE(reply.body.find(bad.bodyPart), std::string::npos) << reply.body;
        }
        EXPECT_EQ(client_->get("/PING").body, "<HTML><BODY><B>200 OK</B></BODY></HTML>\r\n");
    }
    // The session opened before is untouched: its page still answers at the same track.
    HttpReply page = client_->post("/EXEC/1/" + id, "x=1");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("action=/EXEC/2/" + id), std::string::npos) << page.body;
}

TEST_F(ServerIntegrationTest, PortInUseWritesTheErrorLine) {
    EXPECT_THROW(web::TWFStandAloneServer second(options(server_->Port())), web::EBindError);
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
        if (entry.path().extension() != ".err") continue;
        std::ifstream file(entry.path());
        std::string line;
        std::getline(file, line);
        found = line.find(" Could not bind socket. Address and port are already in use.\r") != std::string::npos;
    }
    EXPECT_TRUE(found);
}

// The socket of this process that listens on `port`; -1 when there is none.
int listenerOn(int port) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::atoi(entry.path().filename().c_str());
        int listening = 0;
        socklen_t size = sizeof listening;
        if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || listening == 0) continue;
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
            local.sin_family == AF_INET && ntohs(local.sin_port) == port) {
            return fd;
        }
    }
    return -1;
}

TEST_F(ServerIntegrationTest, ListenQueueHoldsAHallConnectingAtOnce) {
    // A hall of candidates opening the start page together connects faster than the
    // accept loop takes connections; a short queue drops the rest, and those browsers
    // wait a second or more before they try again. The queue must hold as many
    // connections as the server serves at once, as far as the system allows.
    const int listener = listenerOn(server_->Port());
    ASSERT_GE(listener, 0);
    tcp_info info{};
    socklen_t size = sizeof info;
    ASSERT_EQ(getsockopt(listener, IPPROTO_TCP, TCP_INFO, &info, &size), 0);
    int systemLimit = 0;
    std::ifstream("/proc/sys/net/core/somaxconn") >> systemLimit;
    if (systemLimit <= 0) systemLimit = 128;  // the oldest kernels' cap, when it cannot be read
    // For a listening socket the system reports the queue's length in tcpi_sacked.
    EXPECT_GE(static_cast<int>(info.tcpi_sacked), std::min(static_cast<int>(web::ConnectionLimits{}.total), systemLimit));
}

TEST_F(ServerIntegrationTest, StoppingEndsConnectionsThatNeverSentARequest) {
    // A browser's spare connection: open, silent.
    web::Socket idle(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(server_->Port()));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    ASSERT_EQ(::connect(idle.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    timeval limit{10, 0};
    setsockopt(idle.fd(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    EXPECT_EQ(client_->get("/PING").status, 200);  // the connection has been accepted by now

    server_.reset();
    char byte = 0;
    EXPECT_EQ(::recv(idle.fd(), &byte, 1, 0), 0) << "closed without a reply, not left open";
}

}  // namespace
