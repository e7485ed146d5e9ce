#include "web/server/http/FormDecoding.h"

#include "web/server/Text.h"

namespace web {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plusAsBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+' && plusAsBlank) {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

void DecodeFormFields(std::string_view text, FieldList& fields) {
    if (text.empty()) return;
    for (const std::string& piece : text::split(text, '&')) {
        if (!piece.empty()) fields.addLine(PercentDecode(piece, true));
    }
}

}  // namespace web
