#include "web/forms/controls/TWFLabel.h"

#include "web/forms/TWFRenderMemo.h"
#include "web/server/HtmlEscape.h"

namespace web::forms {

std::string textAlignRule(TAlignment alignment) {
    switch (alignment) {
        case TAlignment::taRightJustify: return "text-align:right;";
        case TAlignment::taCenter: return "text-align:center;";
        default: return "text-align:left;";
    }
}

TWFLabel::TWFLabel(std::string name) : TWFControl(std::move(name), 121, 21) {}

std::unique_ptr<TWFHTMLTag> TWFLabel::renderTag(TWFPageContext40&) {
    RenderSize = !AutoSize;
    auto tag = std::make_unique<TWFHTMLTag>(FocusControl != nullptr ? "label" : "span");
    if (FocusControl != nullptr) tag->setAttribute("for", FocusControl->InputName());
    std::string style = textAlignRule(Alignment);
    if (BGColor != clNone) style += "background-color:" + htmlColor(BGColor) + ";";
    tag->setAttribute("style", style);
    if (NoWrap) tag->addMarkup("<NOBR>");
    // A raw caption is markup on purpose (the footer's caption holds a link).
    if (RawText) {
        tag->addMarkup(Caption);
    } else {
        tag->addText(Caption, true, ConvertSpaces);
    }
    if (NoWrap) tag->addMarkup("</NOBR>");
    return tag;
}

bool TWFLabel::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    appendControlKey(key);
    key.numbers({RawText, AutoSize, static_cast<int>(Alignment), BGColor.value(), NoWrap, ConvertSpaces});
    key.text(Caption).text(FocusControl != nullptr ? FocusControl->InputName() : "");
    return true;
}

}  // namespace web::forms
