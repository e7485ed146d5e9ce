#include "web/forms/TWFControl.h"

#include "web/forms/HTMLName.h"
#include "web/forms/TWFContainer.h"
#include "web/server/Text.h"

namespace web::forms {

TWFControl::TWFControl(std::string name, int width, int height)
    : Name(std::move(name)), Width(width), Height(height) {}

std::string TWFControl::HtmlName() const {
    std::string suffix = parent_ != nullptr ? parent_->ChildNameSuffix() : "";
    return htmlName(Name, TWFNameContext{parent_ != nullptr, suffix, {}});
}

bool TWFControl::HasHtmlName(std::string_view name) const {
    return web::text::equalsNoCase(HtmlName(), name) || web::text::equalsNoCase(InputName(), name);
}

std::string normalizeScriptEventCode(std::string code) {
    if (code.find("return") == std::string::npos) code += "\r\nreturn true";
    if (code.empty() || code.back() != ';') code += ";";
    return code;
}

}  // namespace web::forms
