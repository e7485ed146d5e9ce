#include <gtest/gtest.h>

#include <string>

#include "app/vendor/SiteOrigin.h"

namespace exam::vendor {
namespace {

TEST(SiteOriginTest, PlainHostsAndPortsAreTaken) {
    for (const char* host :
         {"localhost", "127.0.0.1", "127.0.0.1:8089", "192.168.1.20:89", "exam-server",
          "exam.school.example:65535", "[::1]", "[::1]:89", "[fe80::1]:8080", "A1.b-2.C3:1"}) {
        EXPECT_EQ(PlausibleHost(host).value_or("refused"), host) << host;
    }
}

TEST(SiteOriginTest, AnythingElseIsNeverEchoed) {
    for (const char* host : {"",
                             ":89",
                             "host:",
                             "host:0",
                             "host:65536",
                             "host:089",
                             "host:8o",
                             "host:89:90",
                             "ho st",
                             "host\"><script>",
                             "host/path",
                             "user@host",
                             "host?x",
                             "host#x",
                             "-host",
                             "host-",
                             "a..b",
                             ".host",
                             "host.",
                             "[::1",
                             "::1",
                             "[::1]x",
                             "[::1]:",
                             "[<x>]",
                             "javascript:alert(1)",
                             "host\r\nX: y",
                             "h\xC3\xA9llo"}) {
        EXPECT_FALSE(PlausibleHost(host).has_value()) << host;
    }
    EXPECT_FALSE(PlausibleHost(std::string(64, 'a') + ".example").has_value());
    EXPECT_TRUE(PlausibleHost(std::string(63, 'a') + ".example").has_value());
}

TEST(SiteOriginTest, OriginComesFromThePlausibleHostHeader) {
    web::TInHTTPAppRequest request;
    request.headers.add("Host", "192.168.1.20:8089");
    EXPECT_EQ(SiteOrigin(request), "http://192.168.1.20:8089");

    web::TInHTTPAppRequest forged;
    forged.headers.add("Host", "evil.example\"onload=\"x");
    EXPECT_EQ(SiteOrigin(forged), "");
    EXPECT_EQ(SiteOrigin(web::TInHTTPAppRequest{}), "");
}

}  // namespace
}  // namespace exam::vendor
