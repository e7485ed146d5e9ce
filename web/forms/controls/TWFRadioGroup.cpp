#include "web/forms/controls/TWFRadioGroup.h"

#include "web/forms/controls/TWFButton.h"
#include "web/server/Text.h"

namespace web::forms {

TWFRadioGroup::TWFRadioGroup(std::string name) : TWFControl(std::move(name), 89, 112) {}

// Each caption is the label of its button: a click on the text chooses it and a screen
// reader reads it with the button. The label's own click stays inside it, so a group that
// posts on click posts once, from the button, after the choice changed.
std::unique_ptr<TWFHTMLTag> TWFRadioGroup::renderTag(TWFPageContext40&) {
    auto group = std::make_unique<TWFHTMLTag>("div");
    std::string inputName = InputName();
    bool clickable = Enabled && Editable;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        std::string id = inputName + "_" + std::to_string(i + 1);
        TWFMarkupLanguageTag& button = group->addTag("input");
        button.setAttribute("TYPE", "RADIO");
        if (static_cast<int>(i) == ItemIndex) button.addBareAttribute(" CHECKED");
        button.setAttribute("NAME", inputName);
        button.setAttribute("id", id);
        button.setIntAttribute("VALUE", static_cast<long long>(i));
        button.setIntAttribute("TabIndex", tabIndex());
        if (!clickable) button.addBareAttribute("DISABLED");
        TWFMarkupLanguageTag& caption = group->addTag("label");
        caption.setAttribute("for", id);
        if (clickable) caption.setAttribute("OnClick", "event.cancelBubble = true;");
        // Item texts are markup on purpose: the exam page shows an option's own markup.
        caption.addMarkup(Items[i]);
        group->addMarkup(Layout == TWFGroupLayout::glVertical ? "<BR>" : " ");
    }
    return group;
}

std::string TWFRadioGroup::styleAddition(const TWFPageContext40&) const {
    return Layout == TWFGroupLayout::glHorizontal ? " white-space:nowrap;" : "";
}

TWFScriptEvents TWFRadioGroup::ownScriptEvents(const TWFPageContext40&) const {
    if (!Editable || !OnClick) return {};
    // Any click inside the group posts; the server fires OnClick only for a changed index.
    // The group has no validation switch of its own, so the page's validation always runs.
    return {{"OnClick", "return " + submitClickConfirmCall(HtmlName(), true, Confirmation) + ";"}};
}

void TWFRadioGroup::SetValue(const std::string& value) {
    int index = web::text::toIntDef(value, -1);
    if (index < 0 || index >= static_cast<int>(Items.size())) index = -1;
    if (index == ItemIndex) return;
    ItemIndex = index;
    if (OnClick) OnClick(*this);
}

}  // namespace web::forms
