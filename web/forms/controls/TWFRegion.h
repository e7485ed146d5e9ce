#pragma once

#include "web/forms/TColor.h"
#include "web/forms/TWFBorderOptions.h"
#include "web/forms/TWFContainer.h"
#include "web/forms/TWFControl.h"

namespace web::forms {

// A box that holds controls of its own, positioned inside its border.
class TWFRegion : public TWFControl, public TWFContainer {
public:
    explicit TWFRegion(std::string name);

    TWFBorderOptions BorderOptions;
    TColor Color = clNone;
    bool ClipRegion = true;
    bool HorzScrollBarVisible = true;
    bool VertScrollBarVisible = true;

    bool isContainer() const override { return true; }
    TWFContainer* asContainer() override { return this; }
    const TWFContainer* asContainer() const override { return this; }
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    void addScripts(TWFPageContext40& context) override;
    // Only an empty region (a coloured box) is written from a memo: one with controls
    // renders them, and they keep memos of their own.
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;

    std::string ChildNameSuffix() const override;
    std::string LayoutObjectName() const override { return HtmlName() + "WFCL"; }
    int BorderPixels() const override;
    bool ContainerVisible() const override { return Visible; }
};

}  // namespace web::forms
