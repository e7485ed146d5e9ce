#pragma once

#include <string>

#include "web/server/FieldList.h"

namespace testing_support {

// What came back over the wire.
struct HttpReply {
    bool answered = false;  // false: the server closed without a reply
    int status = 0;
    std::string statusLine;
    web::FieldList headers;  // in the order received
    std::string body;
};

// A blocking HTTP client for tests against a server on 127.0.0.1. Each call opens one
// connection, sends the bytes, half-closes and reads until the server closes (at most
// ten seconds).
class HttpTestClient {
public:
    explicit HttpTestClient(int port) : port_(port) {}

    HttpReply raw(const std::string& bytes, bool halfClose = true) const;
    HttpReply get(const std::string& path, const std::string& extraHeaders = "") const;
    HttpReply post(const std::string& path, const std::string& body, const std::string& extraHeaders = "") const;

private:
    int port_;
};

// A user agent the server serves its pages to.
inline constexpr const char* kChromeAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36";

}  // namespace testing_support
