#include "web/server/TInHeaderList.h"

#include "web/server/Text.h"

namespace web {
namespace {

bool isContinuation(std::string_view line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

std::string_view nameOf(std::string_view line) {
    std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? line : line.substr(0, colon);
}

std::string valueOf(std::string_view line) {
    std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string() : text::trim(line.substr(colon + 1));
}

}  // namespace

void TInHeaderList::addRawLine(std::string_view line) { lines_.emplace_back(line); }

void TInHeaderList::add(std::string_view name, std::string_view value) {
    lines_.push_back(std::string(name) + ": " + std::string(value));
}

int TInHeaderList::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!isContinuation(lines_[i]) && text::equalsNoCase(text::trim(nameOf(lines_[i])), name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string TInHeaderList::value(std::string_view name) const {
    int index = indexOf(name);
    if (index < 0) return {};
    std::string result = valueOf(lines_[static_cast<std::size_t>(index)]);
    for (std::size_t i = static_cast<std::size_t>(index) + 1; i < lines_.size() && isContinuation(lines_[i]); ++i) {
        result += ' ';
        result += text::trim(lines_[i]);
    }
    return result;
}

bool TInHeaderList::contains(std::string_view name) const { return indexOf(name) >= 0; }

std::vector<std::string> TInHeaderList::values(std::string_view name) const {
    std::vector<std::string> result;
    for (const std::string& line : lines_) {
        if (!isContinuation(line) && text::equalsNoCase(text::trim(nameOf(line)), name)) {
            result.push_back(valueOf(line));
        }
    }
    return result;
}

void TInHeaderList::set(std::string_view name, std::string_view value) {
    int index = indexOf(name);
    std::string line = std::string(name) + ": " + std::string(value);
    if (index < 0) {
        if (!value.empty()) lines_.push_back(std::move(line));
        return;
    }
    auto position = lines_.begin() + index;
    // Continuation lines belong to the line being replaced or removed.
    auto next = position + 1;
    while (next != lines_.end() && isContinuation(*next)) next = lines_.erase(next);
    if (value.empty()) {
        lines_.erase(position);
    } else {
        *position = std::move(line);
    }
}

}  // namespace web
