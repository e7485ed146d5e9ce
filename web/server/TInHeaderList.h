#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace web {

// The header lines of a request or reply, in their order, each "name: value".
// Names compare without regard to case.
class TInHeaderList {
public:
    // Adds a raw header line as received. A line that begins with a blank or a tab
    // continues the previous header.
    void addRawLine(std::string_view line);
    void add(std::string_view name, std::string_view value);

    // The trimmed value of the first header called `name`, with its continuation lines
    // appended after one blank each; empty when absent.
    std::string value(std::string_view name) const;
    bool contains(std::string_view name) const;
    // Every value of the headers called `name` (for repeated headers such as "Cookie").
    std::vector<std::string> values(std::string_view name) const;
    // Replaces the first line of that name in place, appends when there is none and
    // deletes the line when the value is empty.
    void set(std::string_view name, std::string_view value);

    std::size_t lineCount() const { return lines_.size(); }
    const std::vector<std::string>& lines() const { return lines_; }

private:
    int indexOf(std::string_view name) const;
    std::vector<std::string> lines_;
};

}  // namespace web
