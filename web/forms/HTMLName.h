#pragma once

#include <string>
#include <string_view>

namespace web::forms {

// Where a component sits, as far as its HTML name depends on it.
struct TWFNameContext {
    // The parent is a container: the page or a region.
    bool parentIsContainer = false;
    // The parent container's suffix (see containerSuffix); empty for the page.
    std::string_view containerSuffix;
    // The instance name of the frame that owns the component; empty when no frame does.
    std::string_view ownerFrameName;
};

// The name a control is written and posted under: upper-cased, with the suffix of its
// container, or the owning frame's name in front when its parent is no container.
// WFEdit1 on a page gives WFEDIT1; WFLabel1 in the region of frame TWFFrame111 gives
// WFLABEL1TWFFRAME111; that region itself gives TWFFRAME111WFFRAMEREGION.
std::string htmlName(std::string_view componentName, const TWFNameContext& context);

// The suffix a region gives the names of its children: the owning frame's name when a frame
// owns the region, else the suffix its own parent container gives.
std::string containerSuffix(std::string_view ownerFrameName, std::string_view parentSuffix);

// The client layout object of a control, and that of the page.
std::string clientLayoutName(std::string_view controlHtmlName);
inline constexpr std::string_view kFormLayoutName = "WFCLForm";

}  // namespace web::forms
