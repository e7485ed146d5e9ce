#pragma once

#include <string_view>

namespace web::forms {

// The mouse pointer over a control; crAuto leaves it to the browser.
enum class TWFCursor {
    crAuto,
    crCrossHair,
    crDefault,
    crPointer,
    crMove,
    crEResize,
    crNEResize,
    crNWResize,
    crNResize,
    crSEResize,
    crSWResize,
    crSResize,
    crWResize,
    crText,
    crWait,
    crHelp,
};

// The CSS cursor name ("crosshair", "e-resize", ...); empty for crAuto.
std::string_view cursorName(TWFCursor cursor);

}  // namespace web::forms
