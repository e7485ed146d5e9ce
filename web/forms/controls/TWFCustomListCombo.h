#pragma once

#include <functional>
#include <vector>

#include "web/forms/TColor.h"
#include "web/forms/TWFControl.h"

namespace web::forms {

// What combo box and list box share: the item list with its selected index, the option
// markup of a select element, the change and focus scripts and the required check.
//
// With ItemsHaveValues every item reads "display=value": the text before the first "="
// is shown and the text after it is posted; an item without "=" shows and posts its whole
// text. Otherwise an option posts its index.
//
// The selected index and the selection marks travel with their items when items are
// inserted, deleted, exchanged or sorted.
class TWFCustomListCombo : public TWFControl {
public:
    TWFCustomListCombo(std::string name, int width, int height);

    bool Enabled = true;
    bool Editable = true;
    bool DoSubmitValidation = true;
    TColor BGColor = clNone;
    TColor FocusColor = clNone;
    bool ItemsHaveValues = false;
    // Written as markup, not escaped.
    std::string NoSelectionText = "-- No Selection --";
    bool Required = false;
    bool AutoHideOnMenuActivation = false;
    TNotifyEvent OnChange;

    bool RequireSelection() const { return requireSelection_; }
    virtual void SetRequireSelection(bool value) { requireSelection_ = value; }
    // The select takes the control's size; also decides RenderSize.
    bool UseSize() const { return RenderSize; }
    void SetUseSize(bool value) { RenderSize = value; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);

    // --- items ------------------------------------------------------------------------
    const std::vector<std::string>& Items() const { return items_; }
    int ItemCount() const { return static_cast<int>(items_.size()); }
    // An empty or shorter list clears the selected index first.
    void SetItems(std::vector<std::string> items);
    // Returns the new item's index (its sorted place in a sorted list).
    int AddItem(std::string text);
    void InsertItem(int index, std::string text);
    void SetItem(int index, std::string text);
    void DeleteItem(int index);
    void ExchangeItems(int first, int second);
    void ClearItems() { SetItems({}); }
    std::string ItemDisplay(int index) const;
    std::string ItemValue(int index) const;
    // The first item whose value part equals `value`, or -1.
    int IndexOfValue(const std::string& value) const;

    int ItemIndex() const { return itemIndex_; }
    // A value not below the item count, or equal to the current one, is ignored; any
    // smaller value is kept, even one below -1.
    void SetItemIndex(int value);
    // The design value, kept as it is (the items may not be loaded yet).
    void LoadItemIndex(int value) { itemIndex_ = value; }

    bool isInputControl() const override { return true; }
    bool isSubmitControl() const override { return true; }
    bool isEditable() const override { return Editable; }
    bool isEnabled() const override { return Enabled; }
    std::string styleAddition(const TWFPageContext40& context) const override;
    void addScripts(TWFPageContext40& context) override;

protected:
    // The option list of a select: no option at all without items; the no-selection
    // option first when asked for; then one option per item.
    void addOptions(TWFHTMLTag& select, bool noSelectionOption, bool noSelectionSelected,
                    const std::function<bool(int)>& isSelected) const;
    // The control as a plain text (a label) showing `caption`.
    std::unique_ptr<TWFHTMLTag> renderAsLabel(TWFPageContext40& context, const std::string& caption) const;
    // The client code that posts the page with `parameter`.
    std::string submitScript(const std::string& parameter, const std::string& confirmation) const;
    // The change script as an attribute of the select instead of a hooked event: the way
    // Internet Explorer on a Macintosh needs it.
    static bool changeScriptInTag(const TWFPageContext40& context);
    // Change and focus scripts of an editable select.
    TWFScriptEvents selectScriptEvents(const TWFPageContext40& context,
                                       const std::string& confirmation) const;
    // A posted index: a text that is not a number, or a number below -1, gives -1.
    static int postedIndex(const std::string& piece);

    bool isMarked(int index) const { return marks_[static_cast<std::size_t>(index)] != 0; }
    void setMarked(int index, bool marked) { marks_[static_cast<std::size_t>(index)] = marked ? 1 : 0; }
    void clearMarks();

private:
    void sortItems();

    std::vector<std::string> items_;
    // One selection mark per item, kept beside it.
    std::vector<char> marks_;
    int itemIndex_ = -1;
    bool requireSelection_ = true;
    bool sorted_ = false;
};

}  // namespace web::forms
