#include "web/forms/HTMLName.h"

#include "web/server/Text.h"

namespace web::forms {

std::string htmlName(std::string_view componentName, const TWFNameContext& context) {
    if (context.parentIsContainer)
        return web::text::toUpper(std::string(componentName) += context.containerSuffix);
    if (!context.ownerFrameName.empty()) {
        return web::text::toUpper(std::string(context.ownerFrameName) += componentName);
    }
    return web::text::toUpper(componentName);
}

std::string containerSuffix(std::string_view ownerFrameName, std::string_view parentSuffix) {
    return ownerFrameName.empty() ? std::string(parentSuffix) : web::text::toUpper(ownerFrameName);
}

std::string clientLayoutName(std::string_view controlHtmlName) {
    return std::string(controlHtmlName) + "WFCL";
}

}  // namespace web::forms
