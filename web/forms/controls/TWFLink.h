#pragma once

#include "web/forms/TColor.h"
#include "web/forms/controls/TWFLabel.h"

namespace web::forms {

// A text link; a click posts the page and fires OnClick. A link that is disabled or has
// no OnClick shows as plain text.
class TWFLink : public TWFControl {
public:
    explicit TWFLink(std::string name);

    std::string Caption;
    bool RawText = false;
    TAlignment Alignment = TAlignment::taLeftJustify;
    bool Enabled = true;
    TColor Color = clNone;
    std::string Confirmation;
    bool DoSubmitValidation = false;
    TNotifyEvent OnClick;

    bool isSubmitControl() const override { return true; }
    bool isEnabled() const override { return Enabled; }
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
    std::string styleAddition(const TWFPageContext40& context) const override;
    TWFScriptEvents ownScriptEvents(const TWFPageContext40& context) const override;
    // A disabled link takes no click, even when a post names it.
    void Submit(const std::string& parameter) override;

private:
    bool rendersAsLink() const { return Enabled && OnClick != nullptr; }
    // A sized link that is not left aligned sits in a div that aligns it.
    bool wrappedInDiv() const { return RenderSize && Alignment != TAlignment::taLeftJustify; }
};

}  // namespace web::forms
