#include "web/forms/TWFElement.h"

#include "web/server/HtmlEscape.h"

namespace web::forms {

void TWFTextElement::render(std::string& out) const {
    switch (kind_) {
        case TWFTextKind::Text:
            web::AppendHtmlText(out, text_, false, false);
            break;
        case TWFTextKind::TextWithBreaks:
            web::AppendHtmlText(out, text_, true, false);
            break;
        case TWFTextKind::TextWithSpaces:
            web::AppendHtmlText(out, text_, false, true);
            break;
        case TWFTextKind::TextWithBoth:
            web::AppendHtmlText(out, text_, true, true);
            break;
        case TWFTextKind::Value:
            web::AppendHtmlValue(out, text_);
            break;
        case TWFTextKind::Markup:
            out += text_;
            break;
    }
}

}  // namespace web::forms
