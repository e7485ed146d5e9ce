#pragma once

#include <memory>
#include <string_view>

#include "web/forms/TWFMarkupLanguageTag.h"

namespace web::forms {

// An HTML tag. Its name decides the closing and the layout of its content: the void
// elements area, br, frame, hr, img, input and link have no closing tag, and the content of
// pre, a, div, tr and td follows the opening tag without line breaks.
class TWFHTMLTag final : public TWFMarkupLanguageTag {
public:
    explicit TWFHTMLTag(std::string_view tagName);

    TWFHTMLTag& addTag(std::string_view tagName);

protected:
    std::unique_ptr<TWFMarkupLanguageTag> createChild(std::string_view tagName) const override;
};

// True also for the empty name, which writes no tag of its own.
bool isVoidElement(std::string_view tagName);
bool isPreformattedElement(std::string_view tagName);

}  // namespace web::forms
