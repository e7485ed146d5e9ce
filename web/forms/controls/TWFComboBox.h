#pragma once

#include "web/forms/controls/TWFCustomListCombo.h"

namespace web::forms {

enum class TWFComboBoxStyle { stNormal, stEnhanced };

// A drop-down list. The selected option's value is posted under the HTML name; the
// combo box's submit (a changed selection in the browser) fires OnChange after all posted
// values are in place.
class TWFComboBox : public TWFCustomListCombo {
public:
    explicit TWFComboBox(std::string name);

    TWFComboBoxStyle Style = TWFComboBoxStyle::stNormal;
    // The drop-down button of the enhanced style.
    TColor ButtonColor = clBtnFace;
    std::string ButtonImage;
    bool NonEditableAsLabel = false;

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    TWFScriptEvents ownScriptEvents(const TWFPageContext40& context) const override;
    void addScripts(TWFPageContext40& context) override;

    // Without item values the posted index (up to the first ","); with them the item of the
    // posted value, or none. Fires nothing.
    void SetValue(const std::string& value) override;
    void Submit(const std::string& parameter) override;

private:
    std::unique_ptr<TWFHTMLTag> renderSelect(TWFPageContext40& context) const;
    std::unique_ptr<TWFHTMLTag> renderEnhanced(TWFPageContext40& context) const;
    std::string enhancedScript() const;
    bool offersNoSelection() const { return ItemIndex() == -1 || !RequireSelection(); }
};

}  // namespace web::forms
