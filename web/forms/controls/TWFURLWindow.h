#pragma once

#include "web/forms/TWFControl.h"

namespace web::forms {

enum class TWFURLWindowScrolling { usYes, usNo, usAuto };

// An inline frame showing another web page. The page loads it after it has loaded itself,
// so a slow address never holds up the page.
class TWFURLWindow : public TWFControl {
public:
    explicit TWFURLWindow(std::string name);

    std::string URI;
    std::string LongDesc;
    bool Border = false;
    int MarginWidth = 0;
    int MarginHeight = 0;
    TWFURLWindowScrolling Scrolling = TWFURLWindowScrolling::usYes;
    // False keeps the window (a banner, say) out of the keyboard's tab order.
    bool TabStop = true;

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
};

}  // namespace web::forms
