#include "web/forms/controls/TWFRadioGroup.h"

#include "web/forms/TWFRenderMemo.h"
#include "web/forms/TextParts.h"
#include "web/forms/controls/TWFButton.h"
#include "web/server/Text.h"

namespace web::forms {

TWFRadioGroup::TWFRadioGroup(std::string name) : TWFControl(std::move(name), 89, 112) {}

// Each caption is the label of its button: a click on the text chooses it and a screen
// reader reads it with the button. The label's own click stays inside it, so a group that
// posts on click posts once, from the button, after the choice changed.
std::unique_ptr<TWFHTMLTag> TWFRadioGroup::renderTag(TWFPageContext40&) {
    auto group = std::make_unique<TWFHTMLTag>("div");
    const std::string inputName = InputName();
    const bool clickable = Enabled && Editable;
    // A div keeps its content on one line, so the items are written straight as text.
    std::string items;
    std::string id;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        id = inputName;
        id += '_';
        appendInt(id, static_cast<long long>(i + 1));
        items += "<input type=\"RADIO\"";
        if (static_cast<int>(i) == ItemIndex) items += "  CHECKED";
        appendAttribute(items, "name", inputName);
        appendAttribute(items, "id", id);
        items += " value=\"";
        appendInt(items, static_cast<long long>(i));
        items += "\" tabindex=\"";
        appendInt(items, tabIndex());
        items += '"';
        if (!clickable) items += " DISABLED";
        items += "><label";
        appendAttribute(items, "for", id);
        if (clickable) items += " onclick=\"event.cancelBubble = true;\"";
        items += '>';
        // Item texts are markup on purpose: the exam page shows an option's own markup.
        items += Items[i];
        items += "</label>";
        items += Layout == TWFGroupLayout::glVertical ? "<BR>" : " ";
    }
    if (!items.empty()) group->addMarkup(std::move(items));
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

bool TWFRadioGroup::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    appendControlKey(key);
    key.numbers({ItemIndex, static_cast<int>(Layout), Editable, Enabled, OnClick != nullptr,
                 static_cast<long long>(Items.size())});
    for (const std::string& item : Items) key.text(item);
    key.text(Confirmation);
    return true;
}

}  // namespace web::forms
