#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "web/forms/TColor.h"
#include "web/server/TWFBrowser.h"

namespace web::forms {

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
        for (TFontStyle style : styles) insert(style);
    }
    constexpr bool contains(TFontStyle style) const { return (mask_ & bit(style)) != 0; }
    constexpr TFontStyles& insert(TFontStyle style) {
        mask_ |= bit(style);
        return *this;
    }
    constexpr TFontStyles& erase(TFontStyle style) {
        mask_ &= static_cast<std::uint8_t>(~bit(style));
        return *this;
    }
    constexpr bool empty() const { return mask_ == 0; }
    // One bit per style, for comparing whole sets cheaply.
    constexpr std::uint8_t bits() const { return mask_; }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
    static constexpr std::uint8_t bit(TFontStyle style) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(style));
    }
    std::uint8_t mask_ = 0;
};

// Whether a browser gets the Internet Explorer forms of styles and scripts.
constexpr bool isInternetExplorer(web::TWFBrowser browser) {
    return browser == web::TWFBrowser::brIE || browser == web::TWFBrowser::brIE4;
}

// Points to CSS pixels at 96 dots per inch, rounded to the nearest pixel, halves to even.
int fontPixels(int points);

// The font of a control. With a CSSStyle (a class of the site's style sheet) the style
// sheet decides and the control writes no font style of its own.
struct TWFFont {
    TColor Color = clWindowText;
    std::string FontName;
    int Size = 10;  // points
    TFontStyles Style;
    std::string CSSStyle;

    // The CSS declarations for this font in the given browser; empty with a CSSStyle.
    std::string styleText(web::TWFBrowser browser) const;
    void appendStyleText(std::string& out, web::TWFBrowser browser) const;
};

}  // namespace web::forms
