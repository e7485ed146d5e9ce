#pragma once

#include <vector>

#include "web/forms/TWFControl.h"

namespace web::forms {

enum class TWFGroupLayout { glVertical, glHorizontal };

// One choice among several captions, each a radio button. The checked button's index is
// posted under the HTML name + "_INPUT"; a changed index fires OnClick while the posted
// values are applied. The group's own submit fires nothing.
class TWFRadioGroup : public TWFControl {
public:
    explicit TWFRadioGroup(std::string name);

    // Written as markup, not escaped.
    std::vector<std::string> Items;
    // Any number; one that matches no item checks no button.
    int ItemIndex = 0;
    TWFGroupLayout Layout = TWFGroupLayout::glVertical;
    bool Editable = true;
    bool Enabled = true;
    std::string Confirmation;
    TNotifyEvent OnClick;

    bool isInputControl() const override { return true; }
    bool isSubmitControl() const override { return true; }
    bool isEditable() const override { return Editable; }
    bool isEnabled() const override { return Enabled; }
    bool tagIsTabStop() const override { return false; }
    std::string_view InputNameSuffix() const override { return "_INPUT"; }

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
    std::string styleAddition(const TWFPageContext40& context) const override;
    TWFScriptEvents ownScriptEvents(const TWFPageContext40& context) const override;

    // The posted index; a text that names no item (none checked, not a number, out of
    // range) gives -1.
    void SetValue(const std::string& value) override;
};

}  // namespace web::forms
