#include "app/db/SelectScan.h"

#include <string>
#include <vector>

namespace exam::db {
namespace {

struct Word {
    std::string upper;
    std::size_t offset;
};

bool isWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || byte == '_' || (byte >= '0' && byte <= '9') ||
           ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z');
}

// Position just past the quoted part that starts at `pos` with `close` as its end mark;
// a doubled end mark stays inside. npos when it never closes.
std::size_t skipQuoted(std::string_view sql, std::size_t pos, char close) {
    for (std::size_t i = pos + 1; i < sql.size(); ++i) {
        if (sql[i] != close) continue;
        if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string_view::npos;
}

// The words outside quotes, comments and parentheses; nullopt when the text cannot be followed.
std::optional<std::vector<Word>> topLevelWords(std::string_view sql) {
    std::vector<Word> words;
    int depth = 0;
    std::size_t pos = 0;
    while (pos < sql.size()) {
        const char c = sql[pos];
        std::size_t next = pos + 1;
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            next = skipQuoted(sql, pos, c == '[' ? ']' : c);
        } else if (c == '-' && sql.substr(pos, 2) == "--") {
            next = sql.find('\n', pos);
            if (next == std::string_view::npos) next = sql.size();
        } else if (c == '/' && sql.substr(pos, 2) == "/*") {
            next = sql.find("*/", pos + 2);
            if (next != std::string_view::npos) next += 2;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (isWordByte(c)) {
            for (next = pos; next < sql.size() && isWordByte(sql[next]); ++next) {
            }
            if (depth == 0) {
                std::string upper(sql.substr(pos, next - pos));
                for (char& letter : upper) {
                    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
                }
                words.push_back({std::move(upper), pos});
            }
        }
        if (next == std::string_view::npos || depth < 0) return std::nullopt;
        pos = next;
    }
    if (depth != 0) return std::nullopt;
    return words;
}

}  // namespace

std::optional<std::size_t> findSimpleSelectFrom(std::string_view sql) {
    const auto words = topLevelWords(sql);
    if (!words || words->size() < 2 || (*words)[0].upper != "SELECT") return std::nullopt;
    if ((*words)[1].upper == "DISTINCT" || (*words)[1].upper == "ALL") return std::nullopt;
    std::optional<std::size_t> from;
    for (std::size_t i = 1; i < words->size(); ++i) {
        const std::string& word = (*words)[i].upper;
        if (word == "SELECT" || word == "UNION" || word == "INTERSECT" || word == "EXCEPT" ||
            word == "GROUP" || word == "VALUES") {
            return std::nullopt;
        }
        if (word == "FROM" && !from) from = (*words)[i].offset;
    }
    return from;
}

}  // namespace exam::db
