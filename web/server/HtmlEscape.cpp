#include "web/server/HtmlEscape.h"

namespace web {
namespace {

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

}  // namespace

std::string HtmlEscape(std::string_view text, bool convertLineBreaks, bool convertSpaces) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '\n':
                out += convertLineBreaks ? "<br>" : "\n";
                break;
            case '\r':
                if (!convertLineBreaks) out += c;
                break;
            case ' ':
                out += convertSpaces ? "&nbsp;" : " ";
                break;
            default:
                out += c;
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
