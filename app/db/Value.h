#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace exam::db {

// One value of a row or of a statement parameter: null, integer, number or text.
// Text is UTF-8; the empty text is a value of its own, distinct from null.
class Value {
public:
    enum class Kind { Null, Integer, Float, Text };

    Value() = default;
    Value(std::nullptr_t) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) Value(T value)
        : data_(static_cast<std::int64_t>(value)) {}
    Value(bool) = delete;
    Value(double value) : data_(value) {}
    Value(std::string value) : data_(std::move(value)) {}
    Value(std::string_view value) : data_(std::string(value)) {}
    Value(const char* value) : data_(std::string(value)) {}

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    // The stored value itself; only valid for the matching kind.
    std::int64_t integer() const { return std::get<std::int64_t>(data_); }
    double number() const { return std::get<double>(data_); }
    const std::string& text() const { return std::get<std::string>(data_); }

    // Conversions: null gives "", 0 and 0.0. Text that is not a number raises DatabaseError.
    std::string toString() const;
    std::int64_t toInteger() const;
    double toFloat() const;

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, std::int64_t, double, std::string> data_;
};

// The general form of a number: at most 15 significant digits, "." as decimal point,
// no trailing zeros (0.1 + 0.2 gives "0.3", 12.5 gives "12.5", 3.0 gives "3").
std::string formatNumber(double value);

}  // namespace exam::db
