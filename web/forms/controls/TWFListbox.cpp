#include "web/forms/controls/TWFListbox.h"

#include <cstdint>
#include <stdexcept>

#include "web/forms/TWFPageContext40.h"
#include "web/server/Text.h"

namespace web::forms {

TWFListbox::TWFListbox(std::string name) : TWFCustomListCombo(std::move(name), 121, 121) {}

void TWFListbox::SetMultiSelect(bool value) {
    multiSelect_ = value;
    if (value) TWFCustomListCombo::SetRequireSelection(false);
}

void TWFListbox::SetRequireSelection(bool value) {
    TWFCustomListCombo::SetRequireSelection(value);
    if (value) multiSelect_ = false;
}

bool TWFListbox::Selected(int index) const {
    return index >= 0 && index < ItemCount() && isMarked(index);
}

void TWFListbox::SetSelected(int index, bool selected) {
    if (index >= 0 && index < ItemCount()) setMarked(index, selected);
}

std::unique_ptr<TWFHTMLTag> TWFListbox::renderTag(TWFPageContext40& context) {
    if (!Editable) {
        bool selected = ItemIndex() >= 0 && ItemIndex() < ItemCount();
        return renderAsLabel(context, selected ? ItemValue(ItemIndex()) : "");
    }
    auto select = std::make_unique<TWFHTMLTag>("select");
    select->setAttribute("NAME", HtmlName());
    select->setIntAttribute("SIZE", Height / 16);
    if (multiSelect_) select->addBareAttribute("MULTIPLE");
    if (UseSize()) select->setIntAttribute("WIDTH", Width);
    if (!Enabled) select->addBareAttribute("DISABLED");
    if (OnChange && changeScriptInTag(context))
        select->setAttribute("OnChange", submitScript("", Confirmation));
    bool noSelection = (ItemIndex() == -1 || !RequireSelection()) && !multiSelect_;
    addOptions(*select, noSelection, true,
               [this](int i) { return multiSelect_ ? isMarked(i) : i == ItemIndex(); });
    return select;
}

TWFScriptEvents TWFListbox::ownScriptEvents(const TWFPageContext40& context) const {
    if (!Editable) return {};
    TWFScriptEvents events = selectScriptEvents(context, Confirmation);
    if (OnClick) events.emplace_back("OnClick", submitScript("", Confirmation));
    if (OnDblClick) events.emplace_back("OnDblClick", submitScript("DblClick", Confirmation));
    return events;
}

void TWFListbox::SetValue(const std::string& value) {
    std::string rest = value;
    applyFirstPiece(web::text::cutWord(rest, ','));
    if (!multiSelect_) return;
    clearMarks();
    if (ItemIndex() >= 0 && ItemIndex() < ItemCount()) setMarked(ItemIndex(), true);
    // The text ends with ",", so the loop stops after the last value.
    while (!rest.empty()) markPiece(web::text::cutWord(rest, ','));
}

void TWFListbox::applyFirstPiece(const std::string& piece) {
    if (!ItemsHaveValues) {
        int index = postedIndex(piece);
        if (index != ItemIndex()) SetItemIndex(index);
        return;
    }
    if (piece == "-1") {
        SetItemIndex(-1);
        return;
    }
    int index = IndexOfValue(piece);
    if (index >= 0) SetItemIndex(index);
}

// Marks the item a following piece names; pieces naming no item are passed over.
void TWFListbox::markPiece(const std::string& piece) {
    int index = -1;
    if (ItemsHaveValues) {
        index = IndexOfValue(piece);
    } else {
        std::int64_t number = 0;
        if (!web::text::parseInt64(piece, number))
            throw std::invalid_argument("'" + piece + "' is not a valid integer value");
        if (number >= 0 && number < ItemCount()) index = static_cast<int>(number);
    }
    if (index >= 0) setMarked(index, true);
}

void TWFListbox::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (OnChange) OnChange(*this);
    if (parameter == "DblClick") {
        if (OnDblClick) OnDblClick(*this);
    } else if (OnClick) {
        OnClick(*this);
    }
}

}  // namespace web::forms
