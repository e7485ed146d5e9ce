#include "web/forms/TWFBorderOptions.h"

#include <array>

namespace web::forms {

int borderPixelWidth(const TWFBorderOptions& border) {
    if (border.Style == TWFBorderStyle::cbsNone || border.Style == TWFBorderStyle::cbsHidden) return 0;
    switch (border.BorderWidth) {
        case TWFBorderWidth::cbwThin:
            return 1;
        case TWFBorderWidth::cbwMedium:
            return 3;
        case TWFBorderWidth::cbwThick:
            return 5;
        case TWFBorderWidth::cbwNumeric:
            break;
    }
    return border.NumericWidth;
}

std::string_view borderStyleName(TWFBorderStyle style) {
    static constexpr std::array<std::string_view, 10> kNames = {
        "none", "hidden", "dotted", "dashed", "solid", "double", "groove", "ridge", "inset", "outset"};
    auto index = static_cast<std::size_t>(style);
    return index < kNames.size() ? kNames[index] : "none";
}

}  // namespace web::forms
