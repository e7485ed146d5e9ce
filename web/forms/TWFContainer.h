#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/forms/TWFControl.h"

namespace web::forms {

class TWFPageContext40;

// What holds controls: the page and its regions. It owns its controls; they render in
// ascending TabOrder, and consecutive input and submit controls share a form wrapper.
class TWFContainer {
public:
    virtual ~TWFContainer() = default;

    // Takes ownership; returns the control for further setting.
    template <typename Control>
    Control& Add(std::unique_ptr<Control> control) {
        Control& added = *control;
        control->setParent(this);
        controls_.push_back(std::move(control));
        return added;
    }
    const std::vector<std::unique_ptr<TWFControl>>& Controls() const { return controls_; }

    // The suffix this container gives the HTML names of its children.
    virtual std::string ChildNameSuffix() const { return ""; }
    // The client layout object children are registered with.
    virtual std::string LayoutObjectName() const = 0;
    // Pixels the container's border takes from its children's positions.
    virtual int BorderPixels() const { return 0; }
    virtual bool ContainerVisible() const { return true; }
    // Whether children sit directly on the page (else inside a region's box).
    virtual bool IsPage() const { return false; }

    // Appends the markup of the visible children to `out`, collecting their rules and
    // scripts in the page context.
    void RenderChildren(std::string& out, TWFPageContext40& context);
    // The same markup as a text of its own.
    std::string RenderChildren(TWFPageContext40& context);

    // Moves and sizes the children for a container that changed from the old to the new
    // size: anchored sides follow the container's edges, a control anchored on neither side
    // of an axis keeps its proportional place on it.
    void LayoutChildren(int oldWidth, int oldHeight, int newWidth, int newHeight);

    // Every component of this name, searching regions recursively; invisible containers
    // are skipped with everything in them.
    void FindByHtmlName(const std::string& htmlName, std::vector<TWFControl*>& found) const;
    // What FindByHtmlName finds for every name at once, from one walk over the controls:
    // each control under its names upper-cased, in the order FindByHtmlName finds them.
    // A sorted list rather than a hash map: one allocation for a whole page.
    class HtmlNameIndex {
    public:
        // The controls of `upperName`, in the order FindByHtmlName finds them.
        std::vector<TWFControl*> find(std::string_view upperName) const;

    private:
        friend class TWFContainer;
        // The walk the index was built from: each control with its name and whether its
        // children were walked, and before the children of each container walked into,
        // the suffix it gave their names (`control` empty).
        struct Seen {
            const TWFControl* control = nullptr;
            std::string text;
            bool walkedInto = false;
        };
        std::vector<std::pair<std::string, TWFControl*>> entries_;
        std::vector<Seen> seen_;
    };
    // Brings `index` up to date with this container: it is built again only when a
    // control's name, a container's suffix or visibility changed, or controls were added,
    // since it was built (controls are never taken out, so one seen before is the same).
    void IndexByHtmlName(HtmlNameIndex& index) const;

private:
    void collectHtmlNames(HtmlNameIndex& index) const;
    bool matchesWalk(const HtmlNameIndex& index, std::size_t& at) const;
    std::unique_ptr<TWFHTMLTag> renderControl(TWFControl& control, TWFPageContext40& context);

    std::vector<std::unique_ptr<TWFControl>> controls_;
    // The children's markup last time, reserved up front the next time.
    std::size_t lastChildrenSize_ = 0;
};

}  // namespace web::forms
