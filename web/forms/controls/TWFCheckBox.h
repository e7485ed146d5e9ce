#pragma once

#include "web/forms/TWFControl.h"

namespace web::forms {

enum class TWFCheckBoxStyle { stNormal, stCool };

// One on/off box with a caption. The box posts "on" or "off" under its HTML name +
// "_CHECKBOX"; a changed state fires OnChange while the posted values are applied, and a
// click on the box fires OnClick once all of them are in place.
class TWFCheckBox : public TWFControl {
public:
    explicit TWFCheckBox(std::string name);

    // Written as markup, not escaped.
    std::string Caption;
    bool Checked = false;
    TWFCheckBoxStyle Style = TWFCheckBoxStyle::stNormal;
    bool Editable = true;
    bool Enabled = true;
    std::string Confirmation;
    bool DoSubmitValidation = true;
    TNotifyEvent OnClick;
    TNotifyEvent OnChange;

    bool isInputControl() const override { return true; }
    bool isSubmitControl() const override { return true; }
    bool isEditable() const override { return Editable; }
    bool isEnabled() const override { return Enabled; }
    bool tagIsTabStop() const override { return false; }
    std::string_view InputNameSuffix() const override { return "_CHECKBOX"; }

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
    TWFScriptEvents ownScriptEvents(const TWFPageContext40& context) const override;
    void addScripts(TWFPageContext40& context) override;

    // "on" in any letter case checks the box; anything else clears it.
    void SetValue(const std::string& value) override;
    void Submit(const std::string& parameter) override;

private:
    // `name` and `input` are the box's HTML name and input name, composed once per render.
    void addNormalBox(TWFHTMLTag& outer, const std::string& input) const;
    void addCoolBox(TWFHTMLTag& outer, const std::string& name, const std::string& input) const;
    void addLabel(TWFHTMLTag& outer, const std::string& input) const;
    std::string coolToggleCall(const std::string& name, const std::string& input) const;
};

}  // namespace web::forms
