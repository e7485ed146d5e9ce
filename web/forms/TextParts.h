#pragma once

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

namespace web::forms {

// Appends every part to `out` in turn, without the temporaries that joining them with
// "+" would make, and growing `out` at most once.
template <typename... Parts>
void appendParts(std::string& out, const Parts&... parts) {
    const std::string_view views[] = {std::string_view(parts)...};
    std::size_t total = out.size();
    for (std::string_view view : views) total += view.size();
    // Doubling at least, so that appending to a long text in many calls stays linear.
    if (total > out.capacity()) out.reserve(std::max(total, 2 * out.capacity()));
    for (std::string_view view : views) out.append(view);
}

// Appends the decimal digits of `value`, as std::to_string writes them.
inline void appendInt(std::string& out, long long value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

}  // namespace web::forms
