#include "web/forms/ControlStyle.h"

#include <cctype>

#include "web/forms/TextParts.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

using web::TWFBrowser;

// Room for the position, size, clip and font of a control at once.
constexpr std::size_t kUsualStyleSize = 200;

// Opera and Safari put a region's border inside its content box twice, Safari one pixel more.
int regionOffset(int borderWidth, TWFBrowser browser) {
    switch (browser) {
        case TWFBrowser::brOpera:
            return 2 * borderWidth;
        case TWFBrowser::brSafari:
            return 2 * borderWidth + 1;
        default:
            return borderWidth;
    }
}

void appendPosition(std::string& out, const TWFControlStyleInput& input) {
    int left = input.frameOrigin ? input.frameOrigin->x : input.Left;
    int top = input.frameOrigin ? input.frameOrigin->y : input.Top;
    if (input.placement == TWFPlacement::Region) {
        int offset = regionOffset(input.regionBorderWidth, input.browser);
        left -= offset;
        top -= offset;
    }
    out += "position:absolute;left:";
    appendInt(out, left);
    out += ";top:";
    appendInt(out, top);
    out += ';';
}

bool isGecko(TWFBrowser browser) {
    return browser == TWFBrowser::brNetscape6 || browser == TWFBrowser::brNetscape7;
}

std::string styleText(const TWFControlStyleInput& input) {
    std::string out;
    out.reserve(kUsualStyleSize);
    if (input.placement != TWFPlacement::Other) appendPosition(out, input);
    if (input.ZIndex != -100) {
        out += "z-index:";
        appendInt(out, input.ZIndex + 100);
        out += ';';
    }
    if (!input.Font.CSSStyle.empty() && !input.RenderSize) return out;
    int width = input.Width;
    int height = input.Height;
    if (input.isRegion && isGecko(input.browser)) {
        width -= 2 * input.ownBorderWidth;
        height -= 2 * input.ownBorderWidth;
    }
    if (!input.AutoSize || input.RenderSize) {
        out += "width:";
        appendInt(out, width);
        out += ";height:";
        appendInt(out, height);
        out += ';';
    }
    if (input.clipContent) {
        out += "clip:rect(0px,";
        appendInt(out, width);
        out += "px,";
        appendInt(out, height);
        out += "px,0px);";
    }
    input.Font.appendStyleText(out, input.browser);
    if (input.Cursor != TWFCursor::crAuto) out += "cursor :" + std::string(cursorName(input.Cursor)) + ";";
    return out;
}

}  // namespace

std::string TWFControlStyle::headRule() const {
    std::string rule;
    appendHeadRule(rule);
    return rule;
}

void TWFControlStyle::appendHeadRule(std::string& out) const {
    if (!siteClass) appendParts(out, ".", className, " {", styleText, "}\r\n");
}

TWFControlStyle buildControlStyle(const TWFControlStyleInput& input, std::string_view htmlName) {
    TWFControlStyle style;
    style.styleText = styleText(input);
    style.siteClass = !input.Font.CSSStyle.empty();
    style.className = style.siteClass ? input.Font.CSSStyle : std::string(htmlName) + "CSS";
    return style;
}

void applyControlAttributes(TWFMarkupLanguageTag& tag, const TWFControlStyle& style,
                            const TWFControlAttributes& attributes) {
    tag.setAttribute("class", style.className);
    if (style.siteClass) tag.setAttribute("style", style.styleText + tag.attribute("style").value_or(""));
    if (!tag.hasAttribute("id")) tag.setAttribute("id", attributes.htmlName);
    if (attributes.isInputControl && !tag.hasAttribute("name")) tag.setAttribute("name", attributes.htmlName);
    if (attributes.tabPosition) tag.setIntAttribute("TabIndex", *attributes.tabPosition + 1);
    if (attributes.showHint && !attributes.hint.empty())
        tag.setRawAttribute("title", hintTitle(attributes.hint));
}

std::string hintTitle(std::string_view hint) {
    std::string escaped = web::HtmlValue(hint);
    std::string out;
    out.reserve(escaped.size());
    constexpr std::string_view kApostrophe = "&#39;";
    for (std::size_t at = 0; at < escaped.size();) {
        if (escaped.compare(at, kApostrophe.size(), kApostrophe) != 0) {
            out += escaped[at++];
            continue;
        }
        at += kApostrophe.size();
        bool joins = at < escaped.size() &&
                     (std::isdigit(static_cast<unsigned char>(escaped[at])) || escaped[at] == ';');
        out += joins ? "&#39;" : "&#39";
    }
    return out;
}

}  // namespace web::forms
