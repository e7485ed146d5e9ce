#include "web/forms/controls/TWFHRule.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"

namespace web::forms {

TWFHRule::TWFHRule(std::string name) : TWFControl(std::move(name), 100, 3) {
    RenderSize = true;
}

std::unique_ptr<TWFHTMLTag> TWFHRule::renderTag(TWFPageContext40&) {
    auto tag = std::make_unique<TWFHTMLTag>("hr");
    if (RenderSize) {
        tag->setIntAttribute("WIDTH", Width);
        tag->setIntAttribute("HEIGHT", Height);
    }
    return tag;
}

// Netscape 7 puts a margin around the line that would push it off its place.
std::string TWFHRule::styleAddition(const TWFPageContext40& context) const {
    return context.browser() == web::TWFBrowser::brNetscape7 ? "margin:0;" : "";
}

bool TWFHRule::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    appendControlKey(key);
    return true;
}

}  // namespace web::forms
