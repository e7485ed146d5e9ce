#include "web/forms/controls/TWFFrameRegion.h"

#include "web/forms/HTMLName.h"

namespace web::forms {

TWFFrameRegion::TWFFrameRegion(std::string instanceName, int width, int height)
    : TWFRegion("WFFrameRegion"), instanceName_(std::move(instanceName)) {
    Width = width;
    Height = height;
}

std::string TWFFrameRegion::HtmlName() const { return htmlName(Name, TWFNameContext{false, {}, instanceName_}); }

std::string TWFFrameRegion::ChildNameSuffix() const { return containerSuffix(instanceName_, {}); }

}  // namespace web::forms
