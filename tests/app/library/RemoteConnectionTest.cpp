#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "app/library/RemoteConnection.h"
#include "app/library/RemoteQuery.h"
#include "tests/support/PrivatePostgres.h"

namespace exam::library {
namespace {

using testing_support::PrivatePostgres;

#define REQUIRE_POSTGRES()                                                \
    PrivatePostgres* server = PrivatePostgres::Shared();                  \
    if (server == nullptr) GTEST_SKIP() << PrivatePostgres::SkipReason(); \
    server->Clear()

TEST(RemoteConnectionTest, ValuesTravelAsParametersAndComeBackUnchanged) {
    REQUIRE_POSTGRES();
    RemoteConnection connection(server->LibraryConnection());
    const std::vector<std::string> texts{"'; drop table zxtest; --", "语文 \"期中\"", "$1", ""};
    for (const std::string& text : texts) {
        RemoteResult result = connection.Execute("select $1::text as t, length($1) as n", {text});
        ASSERT_EQ(result.RowCount(), 1);
        EXPECT_EQ(result.Text(0, "t"), text);
    }
    EXPECT_EQ(connection.Execute("select count(*) as n from zxtest").Text(0, "n"), "0")
        << "the table is still there";
    EXPECT_TRUE(connection.Connected());
    connection.Close();
    EXPECT_FALSE(connection.Connected());
}

TEST(RemoteConnectionTest, ServerErrorsAreRaisedWithTheServersMessage) {
    REQUIRE_POSTGRES();
    RemoteConnection connection(server->LibraryConnection());
    try {
        connection.Execute("select nosuchcolumn from zxtest");
        FAIL() << "no error raised";
    } catch (const RemoteError& error) {
        EXPECT_NE(std::string(error.what()).find("nosuchcolumn"), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos) << "one line for an alert";
    }
    EXPECT_EQ(connection.Execute("select 1 as one").Text(0, "one"), "1") << "the connection stays usable";
    EXPECT_THROW(connection.Execute("select 1 as one").Text(0, "two"), RemoteError);
}

TEST(RemoteConnectionTest, QueryWalksItsRowsAndReadsNullAsEmpty) {
    REQUIRE_POSTGRES();
    RemoteConnection connection(server->LibraryConnection());
    RemoteQuery query(connection);
    query.Open("select x, case when x=2 then null else x::text end as t from generate_series(1,3) x", {});
    ASSERT_EQ(query.RecordCount(), 3);
    std::vector<std::string> seen;
    for (query.First(); !query.Eof(); query.Next()) seen.push_back(query.FieldByName("t"));
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "", "3"}));
    EXPECT_THROW(query.FieldByName("t"), RemoteError) << "past the last row";
    query.Close();
    EXPECT_EQ(query.RecordCount(), 0);
}

TEST(RemoteConnectionTest, RefusalsToConnectCarryTheDriversMessage) {
    REQUIRE_POSTGRES();
    struct Case {
        std::string connection;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"", "No shared-exam library is configured."},
        {"host=/nonexistent-folder port=5432 dbname=x", "/nonexistent-folder/.s.PGSQL.5432"},
        {server->LibraryConnection() + " user=nosuchrole", "nosuchrole"},
        {"host=/tmp nosuchoption=1", "invalid connection option \"nosuchoption\""},
    };
    for (const Case& c : cases) {
        RemoteConnection connection(c.connection);
        try {
            connection.Open();
            ADD_FAILURE() << c.connection << " connected";
        } catch (const RemoteError& error) {
            EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos) << error.what();
        }
        EXPECT_FALSE(connection.Connected());
    }
}

// A host that takes the connection but never answers: the attempt ends with the time-out
// instead of holding the page for ever.
TEST(RemoteConnectionTest, ASilentServerTimesOutAfterTenSeconds) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    RemoteConnection connection("host=127.0.0.1 port=" + std::to_string(ntohs(address.sin_port)) +
                                " dbname=x user=x connect_timeout=600");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(connection.Open(), RemoteError);
    const auto waited = std::chrono::steady_clock::now() - start;
    close(listener);
    EXPECT_GE(waited, std::chrono::seconds(9));
    EXPECT_LT(waited, std::chrono::seconds(13));
}

}  // namespace
}  // namespace exam::library
