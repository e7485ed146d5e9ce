#include "app/db/Value.h"

#include <sqlite3.h>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "app/db/DatabaseError.h"

namespace exam::db {
namespace {

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    return text;
}

std::string_view withoutPlus(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    return text;
}

[[noreturn]] void notA(std::string_view what, std::string_view text) {
    throw DatabaseError(SQLITE_MISMATCH, "'" + std::string(text) + "' is not a valid " + std::string(what));
}

std::int64_t parseInteger(std::string_view original) {
    const std::string_view text = withoutPlus(trimBlanks(original));
    std::int64_t result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        notA("integer value", original);
    }
    return result;
}

double parseFloat(std::string_view original) {
    const std::string_view text = withoutPlus(trimBlanks(original));
    double result = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(result)) {
        notA("floating point value", original);
    }
    return result;
}

// Rounds half to even, as the integer reading of a number field does.
std::int64_t roundToInteger(double value) {
    const double rounded = std::nearbyint(value);
    constexpr double kLimit = 9223372036854775807.0;
    if (!std::isfinite(rounded) || rounded >= kLimit || rounded < -kLimit) {
        notA("integer value", formatNumber(value));
    }
    return static_cast<std::int64_t>(rounded);
}

}  // namespace

std::string formatNumber(double value) {
    if (value == 0.0) return "0";  // also -0
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 15);
    return std::string(buffer.data(), result.ptr);
}

std::string Value::toString() const {
    switch (kind()) {
        case Kind::Null:
            return {};
        case Kind::Integer:
            return std::to_string(integer());
        case Kind::Float:
            return formatNumber(number());
        case Kind::Text:
            return text();
    }
    return {};
}

std::int64_t Value::toInteger() const {
    switch (kind()) {
        case Kind::Null:
            return 0;
        case Kind::Integer:
            return integer();
        case Kind::Float:
            return roundToInteger(number());
        case Kind::Text:
            return parseInteger(text());
    }
    return 0;
}

double Value::toFloat() const {
    switch (kind()) {
        case Kind::Null:
            return 0.0;
        case Kind::Integer:
            return static_cast<double>(integer());
        case Kind::Float:
            return number();
        case Kind::Text:
            return parseFloat(text());
    }
    return 0.0;
}

}  // namespace exam::db
