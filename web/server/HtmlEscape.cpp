#include "web/server/HtmlEscape.h"

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

// Appends `text` to `out`, plain runs whole (most texts have nothing to escape) and each
// character of `specials` through `escapeAt(out, text, index)`.
template <typename EscapeAt>
void appendEscaped(std::string& out, std::string_view text, const ByteSet& specials, EscapeAt escapeAt) {
    const bool* special = specials.contains;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t next = i;
        while (next < text.size() && !special[static_cast<unsigned char>(text[next])]) ++next;
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
    appendEscaped(out, text, specials, [&](std::string& to, std::string_view all, std::size_t i) {
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
    appendEscaped(out, text, kValueSpecials, [](std::string& to, std::string_view all, std::size_t i) {
        const char* entity = markupEntity(all[i]);
        to += entity != nullptr ? entity : "&amp;";
    });
}

std::string HtmlValue(std::string_view text) {
    return escapedCopy(text, [&](std::string& out) { AppendHtmlValue(out, text); });
}

void AppendAttributeValue(std::string& out, std::string_view value) {
    appendEscaped(out, value, kAttributeSpecials, [](std::string& to, std::string_view all, std::size_t i) {
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
