#include "web/forms/controls/TWFURLWindow.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/server/HtmlEscape.h"

namespace web::forms {
namespace {

const char* scrollingWord(TWFURLWindowScrolling scrolling) {
    switch (scrolling) {
        case TWFURLWindowScrolling::usNo:
            return "SCROLLING=NO";
        case TWFURLWindowScrolling::usAuto:
            return "SCROLLING=AUTO";
        default:
            return "SCROLLING=YES";
    }
}

}  // namespace

TWFURLWindow::TWFURLWindow(std::string name) : TWFControl(std::move(name), 150, 100) {}

std::unique_ptr<TWFHTMLTag> TWFURLWindow::renderTag(TWFPageContext40& context) {
    std::string name = HtmlName();
    // The address is a script string: an apostrophe in it must not end the string and
    // stop the page's Initialize().
    if (!URI.empty())
        context.AddInitScript("frames['" + name + "'].location.href='" + web::ScriptStringEscape(URI) + "'");
    auto tag = std::make_unique<TWFHTMLTag>("IFRAME");
    tag->setTextAttribute("LONGDESC", LongDesc);
    tag->setIntAttribute("WIDTH", Width);
    tag->setIntAttribute("HEIGHT", Height);
    tag->setIntAttribute("FRAMEBORDER", Border ? 1 : 0);
    tag->setIntAttribute("MARGINWIDTH", MarginWidth);
    tag->setIntAttribute("MARGINHEIGHT", MarginHeight);
    tag->setAttribute("NAME", name);
    tag->addBareAttribute(scrollingWord(Scrolling));
    if (!TabStop) tag->setAttribute("TabIndex", "-1");
    return tag;
}

bool TWFURLWindow::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    appendControlKey(key);
    key.numbers({Border, MarginWidth, MarginHeight, static_cast<int>(Scrolling), TabStop});
    key.text(URI).text(LongDesc);
    return true;
}

}  // namespace web::forms
