#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace exam::db {

// Local date and time as the database writes it: "YYYY-MM-DD HH:MM:SS".
std::string formatDateTime(std::chrono::local_seconds time);

// Reads "YYYY-MM-DD", optionally followed by " " or "T" and "HH:MM", ":SS" and a fraction
// (which is dropped); nullopt for anything else, including impossible dates.
std::optional<std::chrono::local_seconds> parseDateTime(std::string_view text);

}  // namespace exam::db
