#include "web/forms/TWFFont.h"

namespace web::forms {
namespace {

// Internet Explorer understands the "font" shorthand.
std::string explorerFont(const TWFFont& font) {
    std::string out = "font:";
    if (font.Style.contains(TFontStyle::fsItalic)) out += " italic";
    if (font.Style.contains(TFontStyle::fsBold)) out += " bold";
    out += " " + std::to_string(fontPixels(font.Size)) + "px";
    if (!font.FontName.empty()) out += " '" + font.FontName + "'";
    return out + ";";
}

std::string standardFont(const TWFFont& font) {
    bool italic = font.Style.contains(TFontStyle::fsItalic);
    bool bold = font.Style.contains(TFontStyle::fsBold);
    std::string out;
    if (italic) out += "font-style:italic;";
    if (bold) out += "font-weight:bold;";
    if (!italic && !bold) out += "font-style:normal;";
    out += "font-size:" + std::to_string(fontPixels(font.Size)) + "px;";
    if (!font.FontName.empty()) out += "font-family:'" + font.FontName + "';";
    return out;
}

std::string textDecoration(const TWFFont& font) {
    std::string out = "text-decoration:";
    bool underline = font.Style.contains(TFontStyle::fsUnderline);
    bool strikeOut = font.Style.contains(TFontStyle::fsStrikeOut);
    if (underline) out += " underline";
    if (strikeOut) out += " line-through";
    if (!underline && !strikeOut) out += " none";
    return out + ";";
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
    if (!CSSStyle.empty()) return {};
    std::string out = isInternetExplorer(browser) ? explorerFont(*this) : standardFont(*this);
    out += textDecoration(*this);
    if (Color != clNone && Color != clWindowText) out += "color:" + htmlColor(Color) + ";";
    return out;
}

}  // namespace web::forms
