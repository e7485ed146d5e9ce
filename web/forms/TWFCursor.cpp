#include "web/forms/TWFCursor.h"

namespace web::forms {

std::string_view cursorName(TWFCursor cursor) {
    switch (cursor) {
        case TWFCursor::crAuto:
            return "";
        case TWFCursor::crCrossHair:
            return "crosshair";
        case TWFCursor::crDefault:
            return "default";
        case TWFCursor::crPointer:
            return "pointer";
        case TWFCursor::crMove:
            return "move";
        case TWFCursor::crEResize:
            return "e-resize";
        case TWFCursor::crNEResize:
            return "ne-resize";
        case TWFCursor::crNWResize:
            return "nw-resize";
        case TWFCursor::crNResize:
            return "n-resize";
        case TWFCursor::crSEResize:
            return "se-resize";
        case TWFCursor::crSWResize:
            return "sw-resize";
        case TWFCursor::crSResize:
            return "s-resize";
        case TWFCursor::crWResize:
            return "w-resize";
        case TWFCursor::crText:
            return "text";
        case TWFCursor::crWait:
            return "wait";
        case TWFCursor::crHelp:
            return "help";
    }
    return "";
}

}  // namespace web::forms
