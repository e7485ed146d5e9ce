#pragma once

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <stop_token>
#include <string>

namespace host {

// Long enough for a slow line, short enough that a silent server cannot hold the host.
inline constexpr std::chrono::milliseconds kHttpGetTimeout{30000};
// The reply, headers included, may not exceed this.
inline constexpr std::size_t kMaxHttpGetReply = 1 << 20;

inline constexpr const char* kHttpGetAccept = "text/html, */*";
inline constexpr const char* kHttpGetUserAgent = "Mozilla/3.0 (compatible; TesselHTTP)";

// A GET that did not bring back a page: bad address, no connection, time-out,
// cancellation, a broken reply or a status other than 200.
class EHttpGetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fetches an "http://" address with one HTTP/1.0 GET and returns the body of a 200 reply.
// Redirects are not followed. The whole exchange, from connecting to the last byte, must
// end within `timeout`; a stop request ends it early. Throws EHttpGetError on failure.
std::string HttpGet(const std::string& url, std::stop_token stop = {},
                    std::chrono::milliseconds timeout = kHttpGetTimeout);

}  // namespace host
