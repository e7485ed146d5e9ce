#include "web/forms/controls/TWFButton.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/forms/TextParts.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {

std::string submitClickConfirmCall(const std::string& htmlName, bool validate, const std::string& confirmation) {
    std::string call;
    appendParts(call, "SubmitClickConfirm('", htmlName, "','', ", validate ? "true" : "false", ", '",
                web::ScriptStringEscape(confirmation), "')");
    return call;
}

TWFButton::TWFButton(std::string name) : TWFControl(std::move(name), 75, 25) { RenderSize = true; }

std::unique_ptr<TWFHTMLTag> TWFButton::renderTag(TWFPageContext40& context) {
    std::unique_ptr<TWFHTMLTag> tag;
    if (HotKey.empty()) {
        tag = std::make_unique<TWFHTMLTag>("input");
        tag->setTextAttribute("VALUE", Caption);
    } else {
        tag = std::make_unique<TWFHTMLTag>("button");
        tag->setTextAttribute("ACCESSKEY", HotKey);
        // The key letter is found in the caption itself, never inside an entity.
        std::size_t at = web::text::findNoCase(Caption, HotKey.substr(0, 1));
        if (at == std::string::npos) {
            tag->addText(Caption, true);
        } else {
            tag->addText(Caption.substr(0, at), true);
            tag->addMarkup("<u>");
            tag->addText(Caption.substr(at, 1), true);
            tag->addMarkup("</u>");
            tag->addText(Caption.substr(at + 1), true);
        }
    }
    tag->setAttribute("NAME", HtmlName());
    static const char* const kTypes[] = {"submit", "button", "reset"};
    tag->setAttribute("TYPE", kTypes[static_cast<int>(ButtonType)]);
    if (Color != clBtnFace) {
        std::string fontStyle = Font.CSSStyle.empty() ? Font.styleText(context.browser()) : "";
        tag->setAttribute("STYLE", "background-color: " + htmlColor(Color) + ";" + fontStyle);
    }
    if (!Enabled) tag->addBareAttribute("DISABLED");
    return tag;
}

TWFScriptEvents TWFButton::ownScriptEvents(const TWFPageContext40&) const {
    if (!OnClick || !Enabled) return {};
    return {{"OnClick", "return " + submitClickConfirmCall(HtmlName(), DoSubmitValidation, Confirmation) + ";"}};
}

void TWFButton::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    // A disabled button cannot be clicked; a post naming it is not a click.
    if (OnClick && Enabled) OnClick(*this);
}

bool TWFButton::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    appendControlKey(key);
    key.numbers(
        {static_cast<int>(ButtonType), Color.value(), Enabled, DoSubmitValidation, OnClick != nullptr});
    key.text(Caption).text(HotKey).text(Confirmation);
    return true;
}

}  // namespace web::forms
