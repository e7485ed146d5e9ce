#pragma once

#include "web/forms/TWFControl.h"

namespace web::forms {

// A horizontal line across the page.
class TWFHRule : public TWFControl {
public:
    explicit TWFHRule(std::string name);

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
    std::string styleAddition(const TWFPageContext40& context) const override;
};

}  // namespace web::forms
