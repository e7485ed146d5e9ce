#pragma once

#include "web/forms/TColor.h"
#include "web/forms/TWFControl.h"

namespace web::forms {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// "text-align:left;" and its kin.
std::string textAlignRule(TAlignment alignment);

// Text on the page; escaped unless RawText, which writes the caption as markup.
class TWFLabel : public TWFControl {
public:
    explicit TWFLabel(std::string name);

    std::string Caption;
    bool RawText = false;
    bool AutoSize = true;
    TAlignment Alignment = TAlignment::taLeftJustify;
    TColor BGColor = clNone;
    bool NoWrap = false;
    bool ConvertSpaces = false;

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
};

}  // namespace web::forms
