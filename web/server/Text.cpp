#include "web/server/Text.h"

#include <algorithm>
#include <charconv>

namespace web::text {
namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

}  // namespace

std::string toUpper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), upper);
    return out;
}

std::string toLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

void makeUpper(std::string& text) {
    std::transform(text.begin(), text.end(), text.begin(), upper);
}

void makeLower(std::string& text) {
    std::transform(text.begin(), text.end(), text.begin(), lower);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && equalsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::size_t findNoCase(std::string_view haystack, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= haystack.size() ? from : std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (equalsNoCase(haystack.substr(i, needle.size()), needle)) return i;
    }
    return std::string_view::npos;
}

std::string trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

bool isAllBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isBlank);
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to, bool ignoreCase) {
    if (from.empty()) return std::string(text);
    std::string out;
    std::size_t pos = 0;
    while (true) {
        std::size_t hit = ignoreCase ? findNoCase(text, from, pos) : text.find(from, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (true) {
        std::size_t hit = text.find(separator, pos);
        parts.emplace_back(text.substr(pos, hit == std::string_view::npos ? std::string_view::npos : hit - pos));
        if (hit == std::string_view::npos) break;
        pos = hit + 1;
    }
    return parts;
}

std::string cutWord(std::string& text, char separator) {
    std::size_t hit = text.find(separator);
    std::string word;
    if (hit == std::string::npos) {
        word.swap(text);
    } else {
        word = text.substr(0, hit);
        text.erase(0, hit + 1);
    }
    return word;
}

std::string base36(std::uint64_t value, std::size_t width) {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value % 36]);
        value /= 36;
    } while (value != 0);
    if (out.size() < width) out.insert(0, width - out.size(), '0');
    return out;
}

bool parseInt64(std::string_view text, std::int64_t& out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

int toIntDef(std::string_view text, int fallback) {
    std::int64_t value = 0;
    if (!parseInt64(text, value) || value < INT32_MIN || value > INT32_MAX) return fallback;
    return static_cast<int>(value);
}

}  // namespace web::text
