#pragma once

#include "web/forms/controls/TWFCustomListCombo.h"

namespace web::forms {

// A list of items, single or multiple choice. Single choice posts the selected option's
// value; multiple choice posts the first selected value + "," followed by every selected
// value + ",". Its submit fires OnChange, then OnDblClick for a double click or OnClick.
class TWFListbox : public TWFCustomListCombo {
public:
    explicit TWFListbox(std::string name);

    std::string Confirmation;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    bool MultiSelect() const { return multiSelect_; }
    // Multiple choice and a required selection exclude each other.
    void SetMultiSelect(bool value);
    void SetRequireSelection(bool value) override;
    // The marks of multiple choice.
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    TWFScriptEvents ownScriptEvents(const TWFPageContext40& context) const override;

    // The first posted piece selects as in a combo box; with multiple choice every piece
    // marks its item. A piece that is not a number fails the post.
    void SetValue(const std::string& value) override;
    void Submit(const std::string& parameter) override;

private:
    void applyFirstPiece(const std::string& piece);
    void markPiece(const std::string& piece);

    bool multiSelect_ = false;
};

}  // namespace web::forms
