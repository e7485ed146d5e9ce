#pragma once

#include <cctype>
#include <cstddef>
#include <optional>
#include <string>

namespace testing_support {

// The value of the script string literal whose opening quote stands at `at`, as a script
// engine reads it; `end` gets the position after the closing quote. Nothing when the
// literal runs into a raw line break or the end of the text (the script would break).
inline std::optional<std::string> ReadScriptLiteral(const std::string& text, std::size_t at,
                                                    std::size_t* end = nullptr) {
    if (at >= text.size() || (text[at] != '\'' && text[at] != '"')) return std::nullopt;
    const char quote = text[at];
    std::string value;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == quote) {
            if (end != nullptr) *end = i + 1;
            return value;
        }
        if (c == '\r' || c == '\n') return std::nullopt;
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case 'n':
                value += '\n';
                break;
            case 'r':
                value += '\r';
                break;
            case 't':
                value += '\t';
                break;
            default:
                value += text[i];
        }
    }
    return std::nullopt;
}

// The literal that follows the first occurrence of `opening` (which ends with the quote).
inline std::optional<std::string> ScriptLiteralAfter(const std::string& text, const std::string& opening,
                                                     std::size_t* end = nullptr) {
    std::size_t at = text.find(opening);
    if (at == std::string::npos) return std::nullopt;
    return ReadScriptLiteral(text, at + opening.size() - 1, end);
}

// How often the HTML parser would end a script block in `text`.
inline int ScriptEndTags(const std::string& text) {
    int count = 0;
    for (std::size_t i = 0; i + 8 <= text.size(); ++i) {
        std::string word = text.substr(i, 8);
        for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (word == "</script") ++count;
    }
    return count;
}

}  // namespace testing_support
