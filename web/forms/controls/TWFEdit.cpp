#include "web/forms/controls/TWFEdit.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {

TWFEdit::TWFEdit(std::string name) : TWFControl(std::move(name), 121, 21) { RenderSize = true; }

std::unique_ptr<TWFHTMLTag> TWFEdit::renderTag(TWFPageContext40&) {
    if (!Editable && NonEditableAsLabel) {
        auto tag = std::make_unique<TWFHTMLTag>("span");
        tag->setAttribute("style", textAlignRule(Alignment));
        std::string shown = PasswordPrompt ? std::string(Text.size(), '*') : Text;
        tag->addText(std::move(shown), true);
        return tag;
    }
    auto tag = std::make_unique<TWFHTMLTag>("input");
    tag->setAttribute("TYPE", PasswordPrompt ? "PASSWORD" : "TEXT");
    tag->setAttribute("NAME", HtmlName());
    if (!Editable) {
        tag->setAttribute("DISABLED", "true");
        tag->setAttribute("READONLY", "true");
    }
    if (!Enabled) tag->setAttribute("DISABLED", "true");
    if (MaxLength > 0) tag->setIntAttribute("MAXLENGTH", MaxLength);
    tag->setTextAttribute("VALUE", Text);
    if (ReadOnly) tag->addBareAttribute("READONLY");
    return tag;
}

std::string TWFEdit::styleAddition(const TWFPageContext40&) const {
    std::string style;
    if (Font.Color != clNone && Font.CSSStyle.empty()) style += "color:" + htmlColor(Font.Color) + ";";
    if (BGColor != clNone) style += "background-color:" + htmlColor(BGColor) + ";";
    return style + textAlignRule(Alignment);
}

TWFScriptEvents TWFEdit::ownScriptEvents(const TWFPageContext40& context) const {
    TWFScriptEvents events;
    if (FocusColor != clNone && Editable) {
        events.emplace_back("OnFocus", "this.style.backgroundColor='" + htmlColor(FocusColor) + "'; return true;");
        events.emplace_back("OnBlur", "this.style.backgroundColor='" + htmlColor(BGColor) + "'; return true;");
    }
    if (OnSubmit) {
        bool explorer = context.browser() == web::TWFBrowser::brIE;
        events.emplace_back("OnKeyPress", "var res = CheckReturnKey(" +
                                              std::string(explorer ? "event.keyCode" : "event.which") + ", '" +
                                              HtmlName() + "', " + (DoSubmitValidation ? "true" : "false") +
                                              ")\r\nreturn res;");
    }
    return events;
}

void TWFEdit::addScripts(TWFPageContext40& context) {
    if (!Required) return;
    std::string name = HtmlName();
    context.validations.emplace_back(name + "WFCL != null && " + name + "WFCL.value.length==0",
                                     FriendlyName + " is a required field.");
}

void TWFEdit::SetValue(const std::string& value) {
    if (value != Text) Text = value;
}

void TWFEdit::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (OnSubmit) OnSubmit(*this);
}

bool TWFEdit::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    appendControlKey(key);
    key.numbers({PasswordPrompt, Editable, NonEditableAsLabel, ReadOnly, Required, MaxLength,
                 static_cast<int>(Alignment), BGColor.value(), FocusColor.value(), Enabled,
                 DoSubmitValidation, OnSubmit != nullptr});
    key.text(Text);
    return true;
}

}  // namespace web::forms
