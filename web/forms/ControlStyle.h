#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "web/forms/TWFCursor.h"
#include "web/forms/TWFFont.h"
#include "web/forms/TWFMarkupLanguageTag.h"
#include "web/server/TWFBrowser.h"

namespace web::forms {

// What a control is placed in; controls placed in a page or a region are positioned
// absolutely.
enum class TWFPlacement { Page, Region, Other };

struct TWFPoint {
    int x = 0;
    int y = 0;
};

// Everything the layout step of a form (TWFLayoutMgrForm) reads to style one control.
struct TWFControlStyleInput {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    TWFPlacement placement = TWFPlacement::Page;
    // Border pixel width of the region the control sits in (placement Region).
    int regionBorderWidth = 0;
    // For the region of a frame: the frame instance's position, used instead of Left and Top.
    std::optional<TWFPoint> frameOrigin;
    int ZIndex = 0;  // -100 writes no z-index
    TWFFont Font;
    bool RenderSize = false;
    bool AutoSize = false;
    // Controls that clip their content (regions) get a clip rectangle of their size.
    bool clipContent = false;
    // For a region: its own border pixel width, which Netscape 6 and 7 count inside the size.
    bool isRegion = false;
    int ownBorderWidth = 0;
    TWFCursor Cursor = TWFCursor::crAuto;
    web::TWFBrowser browser = web::TWFBrowser::brIE;
};

// The style of one control and the class that carries it.
struct TWFControlStyle {
    std::string styleText;
    // The font's site class, or the control's own class HTML name + "CSS".
    std::string className;
    bool siteClass = false;

    // The rule for the page's head style element; empty for a site class, whose style text
    // goes into the tag's style attribute instead.
    std::string headRule() const;
    void appendHeadRule(std::string& out) const;
};

TWFControlStyle buildControlStyle(const TWFControlStyleInput& input, std::string_view htmlName);

// The attributes every rendered control gets besides its style.
struct TWFControlAttributes {
    std::string_view htmlName;
    bool isInputControl = false;
    // The control's position in the page's tab order, when it takes part in it.
    std::optional<int> tabPosition;
    bool showHint = false;
    std::string_view hint;
};

// Gives the control's tag its class, (for a site class) its style, id, name, tabindex and
// title; an id or name the tag already has is kept.
void applyControlAttributes(TWFMarkupLanguageTag& tag, const TWFControlStyle& style,
                            const TWFControlAttributes& attributes);

// A hint as the written value of a title attribute: escaped as a text attribute, with
// each apostrophe as "&#39" without the semicolon (how tooltips have always been written;
// the semicolon stays where a digit or ";" follows, which would otherwise join the
// reference). Set with setRawAttribute.
std::string hintTitle(std::string_view hint);

}  // namespace web::forms
