#include "web/server/HtmlEscape.h"

#include <cstdint>
#include <cstring>

namespace web {
namespace {

// U+2028 and U+2029 in UTF-8 end a script line in older engines, even inside a literal.
constexpr std::string_view kLineSeparator = "\xE2\x80\xA8";
constexpr std::string_view kParagraphSeparator = "\xE2\x80\xA9";

bool isAsciiAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether the browser would start a character reference at the "&" at `at`.
bool startsReference(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && (isAsciiAlphanumeric(text[at + 1]) || text[at + 1] == '#');
}

// The length of a line or paragraph separator at `at`, 0 when there is none.
std::size_t separatorAt(std::string_view text, std::size_t at) {
    std::string_view rest = text.substr(at);
    return rest.starts_with(kLineSeparator) || rest.starts_with(kParagraphSeparator) ? kLineSeparator.size()
                                                                                     : 0;
}

// The HTML parser ends a script block at "</script" and changes state at "<!--", whatever
// backslashes stand before the "<"; so a "/" or "!" after "<" gets a backslash of its own.
bool opensMarkup(std::string_view text, std::size_t lessThan) {
    return lessThan + 1 < text.size() && (text[lessThan + 1] == '/' || text[lessThan + 1] == '!');
}

// Every character that could close the literal or the script block is behind a backslash.
bool isEscapedScriptText(std::string_view text) {
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        if (opensMarkup(text, at)) return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (separatorAt(text, i) != 0) return false;
        switch (text[i]) {
            case '\\':
                if (++i == text.size()) return false;
                break;
            case '\r':
            case '\n':
            case '"':
            case '\'':
            case '<':
            case '>':
                return false;
            default:
                break;
        }
    }
    return true;
}

// The entity of a character every markup escaper replaces, or nullptr.
const char* markupEntity(char c) {
    switch (c) {
        case '"':
            return "&quot;";
        case '\'':
            return "&#39;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        default:
            return nullptr;
    }
}

// The characters an escaper handles, as a byte table built when the program is compiled:
// find_first_of would search them once for every character, and a table built per call
// costs more than most attribute values.
struct ByteSet {
    bool contains[256] = {};
    constexpr explicit ByteSet(std::string_view members) {
        for (char c : members) contains[static_cast<unsigned char>(c)] = true;
    }
};

constexpr ByteSet kTextSpecials{"\"'<>&\r\n"};
constexpr ByteSet kTextSpecialsWithSpaces{"\"'<>&\r\n "};
constexpr ByteSet kValueSpecials{"\"'<>&"};
constexpr ByteSet kAttributeSpecials{"\"&"};

// The end of the run of characters from `at` on that are not in `specials`.
std::size_t plainRunEnd(std::string_view text, std::size_t at, const ByteSet& specials) {
    const bool* special = specials.contains;
    while (at < text.size() && !special[static_cast<unsigned char>(text[at])]) ++at;
    return at;
}

// The same for the specials of an attribute value, the double quote and the ampersand,
// eight bytes at a time: attribute values are most of what a page escapes, and nearly all
// of them are plain.
std::size_t attributeRunEnd(std::string_view text, std::size_t at) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    const auto hasByte = [](std::uint64_t word, unsigned char c) {
        const std::uint64_t x = word ^ (kOnes * c);
        return (x - kOnes) & ~x & kHighBits;
    };
    while (at + sizeof(std::uint64_t) <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if ((hasByte(word, '"') | hasByte(word, '&')) != 0) break;
        at += sizeof word;
    }
    return plainRunEnd(text, at, kAttributeSpecials);
}

// Appends `text` to `out`, plain runs whole (most texts have nothing to escape) and each
// character that ends a run (`runEnd(text, from)`) through `escapeAt(out, text, index)`.
template <typename RunEnd, typename EscapeAt>
void appendEscaped(std::string& out, std::string_view text, RunEnd runEnd, EscapeAt escapeAt) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t next = runEnd(text, i);
        out.append(text.data() + i, next - i);
        if (next == text.size()) break;
        i = next;
        escapeAt(out, text, i);
    }
}

// The string-returning form of an appending escaper.
template <typename Append>
std::string escapedCopy(std::string_view text, Append append) {
    std::string out;
    out.reserve(text.size());
    append(out);
    return out;
}

}  // namespace

void AppendHtmlText(std::string& out, std::string_view text, bool convertLineBreaks, bool convertSpaces) {
    const ByteSet& specials = convertSpaces ? kTextSpecialsWithSpaces : kTextSpecials;
    const auto runEnd = [&](std::string_view all, std::size_t at) { return plainRunEnd(all, at, specials); };
    appendEscaped(out, text, runEnd, [&](std::string& to, std::string_view all, std::size_t i) {
        char c = all[i];
        if (const char* entity = markupEntity(c)) {
            to += entity;
        } else if (c == '&') {
            to += startsReference(all, i) ? "&amp;" : "&";
        } else if (c == '\n') {
            to += convertLineBreaks ? "<br>" : "\n";
        } else if (c == '\r') {
            if (!convertLineBreaks) to += c;
        } else {
            to += "&nbsp;";  // a space, escaped only when spaces are converted
        }
    });
}

std::string HtmlText(std::string_view text, bool convertLineBreaks, bool convertSpaces) {
    return escapedCopy(
        text, [&](std::string& out) { AppendHtmlText(out, text, convertLineBreaks, convertSpaces); });
}

void AppendHtmlValue(std::string& out, std::string_view text) {
    const auto runEnd = [](std::string_view all, std::size_t at) {
        return plainRunEnd(all, at, kValueSpecials);
    };
    appendEscaped(out, text, runEnd, [](std::string& to, std::string_view all, std::size_t i) {
        const char* entity = markupEntity(all[i]);
        to += entity != nullptr ? entity : "&amp;";
    });
}

std::string HtmlValue(std::string_view text) {
    return escapedCopy(text, [&](std::string& out) { AppendHtmlValue(out, text); });
}

void AppendAttributeValue(std::string& out, std::string_view value) {
    appendEscaped(out, value, attributeRunEnd, [](std::string& to, std::string_view all, std::size_t i) {
        if (all[i] == '"') {
            to += "&quot;";
        } else {
            to += startsReference(all, i) ? "&amp;" : "&";
        }
    });
}

std::string AttributeValue(std::string_view value) {
    return escapedCopy(value, [&](std::string& out) { AppendAttributeValue(out, value); });
}

// References end in ";" so that a digit after a quote cannot become part of the number.
std::string HtmlTextForScript(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::size_t length = separatorAt(text, i)) {
            out += text[i + 2] == kLineSeparator[2] ? "&#8232;" : "&#8233;";
            i += length - 1;
            continue;
        }
        switch (text[i]) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&#34;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '\\':
                out += "&#92;";
                break;
            default:
                out += text[i];
        }
    }
    return out;
}

std::string ScriptStringEscape(std::string_view text) {
    if (text.starts_with("\\\\") && isEscapedScriptText(text)) return std::string(text);
    return ScriptCodeEscape(text);
}

std::string ScriptCodeEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::size_t length = separatorAt(text, i)) {
            out += text[i + 2] == kLineSeparator[2] ? "\\u2028" : "\\u2029";
            i += length - 1;
            continue;
        }
        char c = text[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                break;
            case '\n':
                out += "\\n";
                break;
            case '"':
            case '\'':
            case '>':
                out += '\\';
                out += c;
                break;
            case '<':
                out += "\\<";
                if (opensMarkup(text, i)) out += '\\';
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace web
