#include "web/forms/TWFFont.h"

#include "web/forms/TextParts.h"

namespace web::forms {
namespace {

// Internet Explorer understands the "font" shorthand.
void appendExplorerFont(std::string& out, const TWFFont& font) {
    out += "font:";
    if (font.Style.contains(TFontStyle::fsItalic)) out += " italic";
    if (font.Style.contains(TFontStyle::fsBold)) out += " bold";
    out += ' ';
    appendInt(out, fontPixels(font.Size));
    out += "px";
    if (!font.FontName.empty()) appendParts(out, " '", font.FontName, "'");
    out += ';';
}

void appendStandardFont(std::string& out, const TWFFont& font) {
    bool italic = font.Style.contains(TFontStyle::fsItalic);
    bool bold = font.Style.contains(TFontStyle::fsBold);
    if (italic) out += "font-style:italic;";
    if (bold) out += "font-weight:bold;";
    if (!italic && !bold) out += "font-style:normal;";
    out += "font-size:";
    appendInt(out, fontPixels(font.Size));
    out += "px;";
    if (!font.FontName.empty()) appendParts(out, "font-family:'", font.FontName, "';");
}

void appendTextDecoration(std::string& out, const TWFFont& font) {
    out += "text-decoration:";
    bool underline = font.Style.contains(TFontStyle::fsUnderline);
    bool strikeOut = font.Style.contains(TFontStyle::fsStrikeOut);
    if (underline) out += " underline";
    if (strikeOut) out += " line-through";
    if (!underline && !strikeOut) out += " none";
    out += ';';
}

}  // namespace

int fontPixels(int points) {
    long long scaled = static_cast<long long>(points) * 96;
    long long magnitude = scaled < 0 ? -scaled : scaled;
    long long whole = magnitude / 72;
    long long twiceRest = (magnitude % 72) * 2;
    if (twiceRest > 72 || (twiceRest == 72 && whole % 2 == 1)) ++whole;
    return static_cast<int>(scaled < 0 ? -whole : whole);
}

std::string TWFFont::styleText(web::TWFBrowser browser) const {
    std::string out;
    appendStyleText(out, browser);
    return out;
}

void TWFFont::appendStyleText(std::string& out, web::TWFBrowser browser) const {
    if (!CSSStyle.empty()) return;
    if (isInternetExplorer(browser)) {
        appendExplorerFont(out, *this);
    } else {
        appendStandardFont(out, *this);
    }
    appendTextDecoration(out, *this);
    if (Color != clNone && Color != clWindowText) appendParts(out, "color:", htmlColor(Color), ";");
}

}  // namespace web::forms
