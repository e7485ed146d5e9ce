#pragma once

#include <string_view>

#include "web/forms/TColor.h"

namespace web::forms {

enum class TWFBorderStyle {
    cbsNone,
    cbsHidden,
    cbsDotted,
    cbsDashed,
    cbsSolid,
    cbsDouble,
    cbsGroove,
    cbsRidge,
    cbsInset,
    cbsOutset,
};

enum class TWFBorderWidth { cbwThin, cbwMedium, cbwThick, cbwNumeric };

// The border of a region.
struct TWFBorderOptions {
    TColor Color = clNone;
    TWFBorderStyle Style = TWFBorderStyle::cbsSolid;
    TWFBorderWidth BorderWidth = TWFBorderWidth::cbwNumeric;
    int NumericWidth = 1;
};

// The pixels the border takes on each side: 0 for no or hidden border, 1, 3 or 5 for thin,
// medium and thick, else the numeric width.
int borderPixelWidth(const TWFBorderOptions& border);

// The CSS value of "border-style" ("none", "solid", ...).
std::string_view borderStyleName(TWFBorderStyle style);

}  // namespace web::forms
