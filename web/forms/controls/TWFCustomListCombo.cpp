#include "web/forms/controls/TWFCustomListCombo.h"

#include <algorithm>
#include <numeric>

#include "web/forms/TWFPageContext40.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

// Sorted lists order their items alphabetically, letter case ignored.
bool sortsBefore(const std::string& a, const std::string& b) {
    return web::text::toLower(a) < web::text::toLower(b);
}

}  // namespace

TWFCustomListCombo::TWFCustomListCombo(std::string name, int width, int height)
    : TWFControl(std::move(name), width, height) {
    RenderSize = true;
}

void TWFCustomListCombo::SetSorted(bool value) {
    sorted_ = value;
    if (sorted_) sortItems();
}

void TWFCustomListCombo::SetItems(std::vector<std::string> items) {
    if (items.empty() || items.size() < items_.size()) itemIndex_ = -1;
    items_ = std::move(items);
    marks_.assign(items_.size(), 0);
    if (sorted_) sortItems();
}

int TWFCustomListCombo::AddItem(std::string text) {
    int index = ItemCount();
    if (sorted_) {
        auto place = std::upper_bound(items_.begin(), items_.end(), text, sortsBefore);
        index = static_cast<int>(place - items_.begin());
    }
    InsertItem(index, std::move(text));
    return index;
}

void TWFCustomListCombo::InsertItem(int index, std::string text) {
    index = std::clamp(index, 0, ItemCount());
    items_.insert(items_.begin() + index, std::move(text));
    marks_.insert(marks_.begin() + index, 0);
    if (itemIndex_ >= index) ++itemIndex_;
    if (sorted_) sortItems();
}

void TWFCustomListCombo::SetItem(int index, std::string text) {
    if (index < 0 || index >= ItemCount()) return;
    items_[static_cast<std::size_t>(index)] = std::move(text);
    if (sorted_) sortItems();
}

void TWFCustomListCombo::DeleteItem(int index) {
    if (index < 0 || index >= ItemCount()) return;
    items_.erase(items_.begin() + index);
    marks_.erase(marks_.begin() + index);
    if (itemIndex_ == index) {
        itemIndex_ = -1;
    } else if (itemIndex_ > index) {
        --itemIndex_;
    }
}

void TWFCustomListCombo::ExchangeItems(int first, int second) {
    if (first < 0 || second < 0 || first >= ItemCount() || second >= ItemCount()) return;
    std::swap(items_[static_cast<std::size_t>(first)], items_[static_cast<std::size_t>(second)]);
    std::swap(marks_[static_cast<std::size_t>(first)], marks_[static_cast<std::size_t>(second)]);
    if (itemIndex_ == first) {
        itemIndex_ = second;
    } else if (itemIndex_ == second) {
        itemIndex_ = first;
    }
}

void TWFCustomListCombo::sortItems() {
    std::vector<std::size_t> order(items_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return sortsBefore(items_[a], items_[b]); });
    std::vector<std::string> items;
    std::vector<char> marks;
    int itemIndex = itemIndex_ >= 0 ? -1 : itemIndex_;
    for (std::size_t place = 0; place < order.size(); ++place) {
        items.push_back(std::move(items_[order[place]]));
        marks.push_back(marks_[order[place]]);
        if (static_cast<int>(order[place]) == itemIndex_) itemIndex = static_cast<int>(place);
    }
    items_ = std::move(items);
    marks_ = std::move(marks);
    itemIndex_ = itemIndex;
}

std::string TWFCustomListCombo::ItemDisplay(int index) const {
    const std::string& item = items_.at(static_cast<std::size_t>(index));
    if (!ItemsHaveValues) return item;
    return item.substr(0, item.find('='));
}

std::string TWFCustomListCombo::ItemValue(int index) const {
    if (!ItemsHaveValues) return std::to_string(index);
    const std::string& item = items_.at(static_cast<std::size_t>(index));
    std::size_t equals = item.find('=');
    return equals == std::string::npos ? item : item.substr(equals + 1);
}

int TWFCustomListCombo::IndexOfValue(const std::string& value) const {
    for (int i = 0; i < ItemCount(); ++i) {
        if (ItemValue(i) == value) return i;
    }
    return -1;
}

void TWFCustomListCombo::SetItemIndex(int value) {
    if (value >= ItemCount() || value == itemIndex_) return;
    itemIndex_ = value;
}

void TWFCustomListCombo::clearMarks() {
    std::fill(marks_.begin(), marks_.end(), 0);
}

std::string TWFCustomListCombo::styleAddition(const TWFPageContext40&) const {
    return BGColor != clNone ? "background-color:" + htmlColor(BGColor) + ";" : "";
}

void TWFCustomListCombo::addScripts(TWFPageContext40& context) {
    if (!Required) return;
    std::string name = HtmlName();
    context.validations.emplace_back(name + "WFCL != null && " + name + "WFCL.value==\"-1\"",
                                     "A value must be selected for " + FriendlyName + ".");
}

void TWFCustomListCombo::addOptions(TWFHTMLTag& select, bool noSelectionOption, bool noSelectionSelected,
                                    const std::function<bool(int)>& isSelected) const {
    if (items_.empty()) return;
    if (noSelectionOption) {
        TWFMarkupLanguageTag& option = select.addTag("option");
        if (noSelectionSelected) option.addBareAttribute("SELECTED");
        option.setAttribute("VALUE", "-1");
        // The program's own text, which may carry markup ("<i>全部</i>").
        option.addMarkup(NoSelectionText);
    }
    for (int i = 0; i < ItemCount(); ++i) {
        TWFMarkupLanguageTag& option = select.addTag("option");
        if (isSelected(i)) option.addBareAttribute("SELECTED");
        // An empty value is written too, or the browser would post the text.
        std::string value = ItemValue(i);
        if (value.empty()) {
            option.addBareAttribute("value=\"\"");
        } else {
            option.setTextAttribute("VALUE", value);
        }
        option.addText(ItemDisplay(i), true);
    }
}

std::unique_ptr<TWFHTMLTag> TWFCustomListCombo::renderAsLabel(TWFPageContext40& context,
                                                              const std::string& caption) const {
    TWFLabel label(Name);
    label.BGColor = BGColor;
    label.Font = Font;
    label.Width = Width;
    label.Height = Height;
    label.Caption = caption;
    return label.renderTag(context);
}

std::string TWFCustomListCombo::submitScript(const std::string& parameter,
                                             const std::string& confirmation) const {
    return "return SubmitClickConfirm('" + HtmlName() + "','" + parameter + "', " +
           (DoSubmitValidation ? "true" : "false") + ", '" + web::ScriptStringEscape(confirmation) + "');";
}

bool TWFCustomListCombo::changeScriptInTag(const TWFPageContext40& context) {
    std::string agent = web::text::toUpper(context.userAgent());
    return agent.find("MSIE") != std::string::npos && agent.find("MAC") != std::string::npos;
}

TWFScriptEvents TWFCustomListCombo::selectScriptEvents(const TWFPageContext40& context,
                                                       const std::string& confirmation) const {
    TWFScriptEvents events;
    if (OnChange && !changeScriptInTag(context))
        events.emplace_back("OnChange", submitScript("", confirmation));
    if (FocusColor != clNone) {
        events.emplace_back("OnFocus", "this.style.backgroundColor='" + htmlColor(FocusColor) + "';");
        events.emplace_back("OnBlur", "this.style.backgroundColor='" + htmlColor(BGColor) + "';");
    }
    return events;
}

int TWFCustomListCombo::postedIndex(const std::string& piece) {
    return std::max(-1, web::text::toIntDef(piece, -1));
}

}  // namespace web::forms
