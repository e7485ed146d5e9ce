#pragma once

#include "web/forms/TColor.h"
#include "web/forms/controls/TWFLabel.h"

namespace web::forms {

// A one-line text input; the posted text becomes Text before any event fires.
class TWFEdit : public TWFControl {
public:
    explicit TWFEdit(std::string name);

    std::string Text;
    bool PasswordPrompt = false;
    bool Editable = true;
    bool NonEditableAsLabel = false;
    bool ReadOnly = false;
    bool Required = false;
    int MaxLength = 0;
    TAlignment Alignment = TAlignment::taLeftJustify;
    TColor BGColor = clNone;
    TColor FocusColor = clNone;
    bool Enabled = true;
    bool DoSubmitValidation = true;
    TNotifyEvent OnSubmit;

    bool isInputControl() const override { return true; }
    bool isSubmitControl() const override { return true; }
    bool isEditable() const override { return Editable; }
    bool isEnabled() const override { return Enabled; }
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
    std::string styleAddition(const TWFPageContext40& context) const override;
    TWFScriptEvents ownScriptEvents(const TWFPageContext40& context) const override;
    void addScripts(TWFPageContext40& context) override;
    void SetValue(const std::string& value) override;
    void Submit(const std::string& parameter) override;
};

}  // namespace web::forms
