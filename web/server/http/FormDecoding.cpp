#include "web/server/http/FormDecoding.h"

#include <algorithm>

namespace web {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Appends the decoded `text` to `out`; the plain runs between escapes go in one piece.
void appendPercentDecoded(std::string& out, std::string_view text, bool plusAsBlank) {
    std::size_t plain = 0;  // where the run not yet appended starts
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '%' && (c != '+' || !plusAsBlank)) continue;
        if (c == '%' && !(i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0))
            continue;  // a lone "%" stands for itself
        out.append(text.data() + plain, i - plain);
        if (c == '+') {
            out += ' ';
        } else {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        }
        plain = i + 1;
    }
    out.append(text.data() + plain, text.size() - plain);
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plusAsBlank) {
    std::string out;
    out.reserve(text.size());
    appendPercentDecoded(out, text, plusAsBlank);
    return out;
}

// Each piece is decoded whole and then cut at its first "=", into one buffer reused from
// piece to piece.
void DecodeFormFields(std::string_view text, FieldList& fields) {
    // A page posts a few dozen fields: room for them at once, not a growth every few.
    fields.reserve(fields.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '&')) + 1);
    std::string decoded;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('&'), text.size());
        if (end > 0) {
            decoded.clear();
            appendPercentDecoded(decoded, text.substr(0, end), true);
            fields.addLine(decoded);
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

}  // namespace web
