#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace exam::db {

// The statement text of a query, built line by line. Every change tells the owner, which
// closes its result and forgets the old parameters.
class SqlLines {
public:
    explicit SqlLines(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

    void Clear();
    // Appends one line; a single Add after Clear makes the text exactly that line.
    void Add(std::string_view line);
    void SetText(std::string_view text);
    // The lines joined by "\n".
    const std::string& Text() const { return text_; }
    std::size_t Count() const { return count_; }

private:
    std::string text_;
    std::size_t count_ = 0;
    std::function<void()> onChange_;
};

}  // namespace exam::db
