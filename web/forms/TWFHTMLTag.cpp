#include "web/forms/TWFHTMLTag.h"

#include <array>

#include "web/server/Text.h"

namespace web::forms {
namespace {

constexpr std::array<std::string_view, 7> kVoidElements = {"area", "br",    "frame", "hr",
                                                           "img",  "input", "link"};
constexpr std::array<std::string_view, 5> kPreformattedElements = {"pre", "a", "div", "tr", "td"};

template <std::size_t N>
bool isNamed(std::string_view tagName, const std::array<std::string_view, N>& names) {
    for (std::string_view name : names) {
        if (web::text::equalsNoCase(tagName, name)) return true;
    }
    return false;
}

}  // namespace

bool isVoidElement(std::string_view tagName) {
    return tagName.empty() || isNamed(tagName, kVoidElements);
}

bool isPreformattedElement(std::string_view tagName) {
    return isNamed(tagName, kPreformattedElements);
}

TWFHTMLTag::TWFHTMLTag(std::string_view tagName)
    : TWFMarkupLanguageTag(tagName, isVoidElement(tagName) ? TWFClosingTag::ctNone : TWFClosingTag::ctClose,
                           isPreformattedElement(tagName)) {}

TWFHTMLTag& TWFHTMLTag::addTag(std::string_view tagName) {
    return static_cast<TWFHTMLTag&>(TWFMarkupLanguageTag::addTag(tagName));
}

std::unique_ptr<TWFMarkupLanguageTag> TWFHTMLTag::createChild(std::string_view tagName) const {
    return std::make_unique<TWFHTMLTag>(tagName);
}

}  // namespace web::forms
