#pragma once

#include <charconv>
#include <string>
#include <string_view>

namespace web::forms {

// Appends every part to `out` in turn, without the temporaries that joining them with
// "+" would make.
template <typename... Parts>
void appendParts(std::string& out, const Parts&... parts) {
    (out.append(std::string_view(parts)), ...);
}

// Appends the decimal digits of `value`, as std::to_string writes them.
inline void appendInt(std::string& out, long long value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

}  // namespace web::forms
