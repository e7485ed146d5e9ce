#pragma once

#include <memory>

#include "web/forms/TWFContainer.h"

namespace exam {

// Adds a control of the given kind to a page or region at left, top; a width or height of
// 0 keeps the control's own default.
template <typename Control>
Control* PlaceControl(web::forms::TWFContainer& parent, const char* name, int left, int top, int width = 0,
                      int height = 0) {
    auto& control = parent.Add(std::make_unique<Control>(name));
    control.Left = left;
    control.Top = top;
    if (width > 0) control.Width = width;
    if (height > 0) control.Height = height;
    return &control;
}

}  // namespace exam
