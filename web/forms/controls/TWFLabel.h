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
    // Borrowed: the input the label names. The label is then written as its <label>, so a
    // click on the text focuses the input and a screen reader reads the text with it.
    const TWFControl* FocusControl = nullptr;

    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
};

}  // namespace web::forms
