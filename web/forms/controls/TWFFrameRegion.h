#pragma once

#include <string>

#include "web/forms/controls/TWFRegion.h"

namespace web::forms {

// The region of a frame: a reusable group of controls placed on a page as one instance.
// Only the region takes part in the page; it is written under the instance's name
// ("TWFFRAME111WFFRAMEREGION") and gives its children that name as their suffix
// ("WFLABEL1TWFFRAME111"), so two instances of one frame never share a name. The region
// sits where the instance is placed and fills it.
class TWFFrameRegion : public TWFRegion {
public:
    TWFFrameRegion(std::string instanceName, int width, int height);

    const std::string& InstanceName() const { return instanceName_; }

    std::string HtmlName() const override;
    std::string ChildNameSuffix() const override;

private:
    std::string instanceName_;
};

}  // namespace web::forms
