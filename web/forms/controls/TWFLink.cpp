#include "web/forms/controls/TWFLink.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/forms/TextParts.h"
#include "web/forms/controls/TWFButton.h"
#include "web/server/HtmlEscape.h"

namespace web::forms {
namespace {

std::string linkAddress(web::TWFBrowser browser, const std::string& htmlName) {
    if (isInternetExplorer(browser)) return htmlName;
    if (browser == web::TWFBrowser::brOpera) return "#";
    return "javascript:void(0);";
}

}  // namespace

TWFLink::TWFLink(std::string name) : TWFControl(std::move(name), 65, 17) {
    RenderSize = true;
    Font.Style.insert(TFontStyle::fsUnderline);
}

std::unique_ptr<TWFHTMLTag> TWFLink::renderTag(TWFPageContext40& context) {
    if (!rendersAsLink()) {
        TWFLabel label(Name);
        label.Caption = Caption;
        label.RawText = RawText;
        label.Alignment = Alignment;
        return label.renderTag(context);
    }
    auto link = std::make_unique<TWFHTMLTag>("a");
    link->setAttribute("HREF", linkAddress(context.browser(), HtmlName()));
    if (RawText) {
        link->addMarkup(Caption);
    } else {
        link->addText(Caption, true);
    }
    if (!wrappedInDiv()) return link;
    link->setAttribute("style", Font.styleText(context.browser()));
    auto frame = std::make_unique<TWFHTMLTag>("div");
    frame->setAttribute("style", textAlignRule(Alignment));
    frame->addElement(std::move(link));
    return frame;
}

std::string TWFLink::styleAddition(const TWFPageContext40&) const {
    return Color != clNone ? "background-Color: " + htmlColor(Color) + ";" : "";
}

// The click script only posts while the element is a link: a link shown as plain text
// has no address and ignores clicks.
TWFScriptEvents TWFLink::ownScriptEvents(const TWFPageContext40&) const {
    const std::string name = HtmlName();
    std::string code;
    appendParts(code, "if (document.getElementById('", name, "')",
                rendersAsLink() && wrappedInDiv() ? ".childNodes[0]" : "", ".href) {");
    if (OnClick)
        appendParts(code, submitClickConfirmCall(name, DoSubmitValidation, Confirmation), ";return false;");
    code += "} else return false;";
    return {{"OnClick", std::move(code)}};
}

void TWFLink::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (Enabled && OnClick) OnClick(*this);
}

bool TWFLink::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    appendControlKey(key);
    key.numbers({RawText, static_cast<int>(Alignment), Enabled, Color.value(), DoSubmitValidation,
                 OnClick != nullptr});
    key.text(Caption).text(Confirmation);
    return true;
}

}  // namespace web::forms
