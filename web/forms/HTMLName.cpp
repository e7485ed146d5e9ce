#include "web/forms/HTMLName.h"

#include "web/server/Text.h"

namespace web::forms {

std::string htmlName(std::string_view componentName, const TWFNameContext& context) {
    std::string name;
    if (context.parentIsContainer) {
        name.reserve(componentName.size() + context.containerSuffix.size());
        name.append(componentName).append(context.containerSuffix);
    } else if (!context.ownerFrameName.empty()) {
        name.reserve(context.ownerFrameName.size() + componentName.size());
        name.append(context.ownerFrameName).append(componentName);
    } else {
        name.assign(componentName);
    }
    web::text::makeUpper(name);
    return name;
}

std::string containerSuffix(std::string_view ownerFrameName, std::string_view parentSuffix) {
    return ownerFrameName.empty() ? std::string(parentSuffix) : web::text::toUpper(ownerFrameName);
}

std::string clientLayoutName(std::string_view controlHtmlName) {
    return std::string(controlHtmlName) + "WFCL";
}

}  // namespace web::forms
