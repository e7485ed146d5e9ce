#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace web {

// A time as the "Expires" and "Last-Modified" headers write it, in GMT:
// "Tue, 8 Dec 2026 15:27:12 GMT" (the day without a leading zero). Fractions of a
// second are dropped.
std::string formatHttpDate(std::chrono::system_clock::time_point time);

// Reads the three date forms HTTP clients send: "Tue, 08 Dec 2026 15:27:12 GMT" (the day
// with or without a leading zero), "Tuesday, 08-Dec-26 15:27:12 GMT" and
// "Tue Dec  8 15:27:12 2026". A "; ..." suffix (sent by some old browsers) is ignored.
// Anything else, or an impossible date or time, gives nullopt.
std::optional<std::chrono::system_clock::time_point> parseHttpDate(std::string_view text);

}  // namespace web
