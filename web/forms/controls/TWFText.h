#pragma once

#include <string>
#include <vector>

#include "web/forms/TColor.h"
#include "web/forms/TWFControl.h"

namespace web::forms {

// A block of text lines; escaped unless RawText, which writes the lines as markup.
class TWFText : public TWFControl {
public:
    explicit TWFText(std::string name);

    std::vector<std::string> Lines;
    bool RawText = false;
    bool WantReturns = true;
    bool ConvertSpaces = false;
    TColor BGColor = clNone;
    // Shows the text in a scrolling box of the control's size.
    bool UseFrame = false;

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    std::string styleAddition(const TWFPageContext40& context) const override;
    void addScripts(TWFPageContext40& context) override;

private:
    std::string content() const;
    std::unique_ptr<TWFHTMLTag> frameAround(std::unique_ptr<TWFHTMLTag> text, web::TWFBrowser browser) const;
};

}  // namespace web::forms
