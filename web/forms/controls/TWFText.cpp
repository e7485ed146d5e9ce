#include "web/forms/controls/TWFText.h"

#include "web/forms/TWFPageContext40.h"

namespace web::forms {
namespace {

// The inset border of the scrolling box, in pixels.
constexpr int kFrameBorderWidth = 2;

}  // namespace

TWFText::TWFText(std::string name) : TWFControl(std::move(name), 121, 121) {}

std::string TWFText::content() const {
    std::string text;
    if (RawText && !WantReturns) {
        for (const std::string& line : Lines) text += line;
        return text;
    }
    for (const std::string& line : Lines) text += line + "\r\n";
    return text;
}

std::unique_ptr<TWFHTMLTag> TWFText::renderTag(TWFPageContext40& context) {
    auto tag = std::make_unique<TWFHTMLTag>("div");
    // A raw text is markup on purpose (the hand-in page's form to the vendor's site).
    if (RawText) {
        tag->addMarkup(content());
    } else {
        tag->addText(content(), WantReturns, ConvertSpaces);
    }
    if (!UseFrame) return tag;
    // The box takes the control's place and size; the text inside keeps only its font.
    RenderSize = true;
    return frameAround(std::move(tag), context.browser());
}

std::unique_ptr<TWFHTMLTag> TWFText::frameAround(std::unique_ptr<TWFHTMLTag> text,
                                                 web::TWFBrowser browser) const {
    bool explorer = isInternetExplorer(browser);
    bool splitOverflow =
        !(browser == web::TWFBrowser::brNetscape6 || browser == web::TWFBrowser::brNetscape7 ||
          browser == web::TWFBrowser::brOpera || browser == web::TWFBrowser::brSafari);
    int grow = explorer || browser == web::TWFBrowser::brOpera ? 0 : 2 * kFrameBorderWidth;
    std::string style = "border-style:inset;border-width:" + std::to_string(kFrameBorderWidth) + ";";
    style += splitOverflow ? "overflow-x:auto;overflow-y:auto;" : "overflow:auto;";
    style += "padding:0;clip:rect(0px," + std::to_string(Width + grow) + "px," +
             std::to_string(Height + grow) + "px,0px);";
    text->setAttribute("style", Font.styleText(browser));
    auto frame = std::make_unique<TWFHTMLTag>("div");
    frame->setAttribute("style", style);
    frame->addElement(std::move(text));
    return frame;
}

std::string TWFText::styleAddition(const TWFPageContext40&) const {
    return BGColor != clNone ? " background-color: " + htmlColor(BGColor) + ";" : "";
}

void TWFText::addScripts(TWFPageContext40& context) {
    if (!UseFrame) return;
    std::string layout = HtmlName() + "WFCL";
    context.AddWFCLInitScript("if (" + layout + ") {");
    context.AddWFCLInitScript(layout + ".BorderWidthPixels = " + std::to_string(kFrameBorderWidth) + ";");
    context.AddWFCLInitScript("}");
}

}  // namespace web::forms
