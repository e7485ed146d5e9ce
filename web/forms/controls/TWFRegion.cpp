#include "web/forms/controls/TWFRegion.h"

#include <charconv>

#include "web/forms/HTMLName.h"
#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/forms/TextParts.h"

namespace web::forms {
namespace {

std::string borderWidthText(const TWFBorderOptions& border) {
    switch (border.BorderWidth) {
        case TWFBorderWidth::cbwThin: return "thin;";
        case TWFBorderWidth::cbwMedium: return "medium;";
        case TWFBorderWidth::cbwThick: return "thick;";
        default: return std::to_string(border.NumericWidth) + ";";
    }
}

}  // namespace

TWFRegion::TWFRegion(std::string name) : TWFControl(std::move(name), 185, 41) {
    TabOrder = -1;
    ZIndex = 1000;
    RenderSize = true;
}

std::string TWFRegion::ChildNameSuffix() const {
    std::string parentSuffix = Parent() != nullptr ? Parent()->ChildNameSuffix() : "";
    return containerSuffix("", parentSuffix);
}

int TWFRegion::BorderPixels() const { return borderPixelWidth(BorderOptions); }

std::unique_ptr<TWFHTMLTag> TWFRegion::renderTag(TWFPageContext40& context) {
    web::TWFBrowser browser = context.browser();
    bool explorer = browser == web::TWFBrowser::brIE || browser == web::TWFBrowser::brIE4;
    std::string style;
    if (BorderOptions.Color != clNone) appendParts(style, "border-color:", htmlColor(BorderOptions.Color), ";");
    appendParts(style, "border-style:", borderStyleName(BorderOptions.Style), ";border-width:",
                borderWidthText(BorderOptions));
    if (ClipRegion) {
        if (explorer) {
            appendParts(style, "overflow-x:", HorzScrollBarVisible ? "auto;" : "hidden;");
            appendParts(style, "overflow-y:", VertScrollBarVisible ? "auto;" : "hidden;");
        } else {
            style += HorzScrollBarVisible || VertScrollBarVisible ? "overflow:auto;" : "overflow:hidden;";
        }
    }
    if (Color != clNone) appendParts(style, "background-color:", htmlColor(Color), ";");
    style += "padding:0;";
    if (ClipRegion) {
        int grow = explorer || browser == web::TWFBrowser::brOpera ? 0 : 2 * BorderPixels();
        style += "clip:rect(0px,";
        appendInt(style, Width + grow);
        style += "px,";
        appendInt(style, Height + grow);
        style += "px,0px);";
    }
    auto tag = std::make_unique<TWFHTMLTag>("div");
    tag->setAttribute("style", style);
    tag->addMarkup(RenderChildren(context));
    return tag;
}

void TWFRegion::addScripts(TWFPageContext40& context) {
    const std::string name = HtmlName();
    char pixels[16];
    const auto written = std::to_chars(pixels, pixels + sizeof pixels, BorderPixels());
    context.AddWFCLInitLine("if (", name, "WFCL) {");
    context.AddWFCLInitLine(name, "WFCL.BorderWidthPixels = ", std::string_view(pixels, written.ptr), ";");
    context.AddWFCLInitScript("}");
}

bool TWFRegion::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    if (!Controls().empty()) return false;
    appendControlKey(key);
    key.numbers({BorderOptions.Color.value(), static_cast<int>(BorderOptions.Style),
                 static_cast<int>(BorderOptions.BorderWidth), BorderOptions.NumericWidth, Color.value(),
                 ClipRegion, HorzScrollBarVisible, VertScrollBarVisible});
    return true;
}

}  // namespace web::forms
