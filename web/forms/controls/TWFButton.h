#pragma once

#include "web/forms/TColor.h"
#include "web/forms/TWFControl.h"

namespace web::forms {

enum class TWFButtonType { btSubmit, btButton, btReset };

// A push button; a click posts the page and fires OnClick.
class TWFButton : public TWFControl {
public:
    explicit TWFButton(std::string name);

    std::string Caption;
    TWFButtonType ButtonType = TWFButtonType::btButton;
    std::string HotKey;
    TColor Color = clBtnFace;
    bool Enabled = true;
    std::string Confirmation;
    bool DoSubmitValidation = true;
    TNotifyEvent OnClick;

    bool isSubmitControl() const override { return true; }
    bool isEnabled() const override { return Enabled; }
    bool hasSubmitField() const override { return true; }
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
    TWFScriptEvents ownScriptEvents(const TWFPageContext40& context) const override;
    void Submit(const std::string& parameter) override;
};

// The click code of a button or link: "SubmitClickConfirm('N','', V, 'C')".
std::string submitClickConfirmCall(const std::string& htmlName, bool validate, const std::string& confirmation);

}  // namespace web::forms
