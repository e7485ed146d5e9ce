#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/forms/TWFControl.h"
#include "web/forms/TWFRenderMemo.h"

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
    // What FindByHtmlName finds for every name at once: each control of the whole tree
    // under its names upper-cased, in the order of the walk, with the containers it sits
    // in. Which containers are visible is asked when a name is looked up, so showing or
    // hiding a region between two posts does not rebuild the index. A sorted list rather
    // than a hash map: one allocation for a whole page.
    class HtmlNameIndex {
    public:
        // The controls of `upperName`, in the order FindByHtmlName finds them.
        std::vector<TWFControl*> find(std::string_view upperName) const;

    private:
        friend class TWFContainer;
        struct Entry {
            std::string name;
            TWFControl* control = nullptr;
            std::size_t container = 0;  // in containers_
        };
        // A container walked: itself, the control it is (none for the walk's start) and the
        // container it sits in.
        struct Container {
            const TWFContainer* container = nullptr;
            const TWFControl* control = nullptr;
            std::optional<std::size_t> parent;
        };
        // The walk the index was built from: each control with its name, and before the
        // children of each container the suffix it gave their names (`control` empty).
        struct Seen {
            const TWFControl* control = nullptr;
            std::string text;
        };
        bool reachable(std::size_t container) const;

        std::vector<Entry> entries_;
        std::vector<Container> containers_;
        std::vector<Seen> seen_;
    };
    // Brings `index` up to date with this container: it is built again only when a
    // control's name or a container's suffix changed, or controls were added, since it was
    // built (controls are never taken out, so one seen before is the same).
    void IndexByHtmlName(HtmlNameIndex& index) const;

private:
    void collectHtmlNames(HtmlNameIndex& index, const TWFControl* asControl,
                          std::optional<std::size_t> parent) const;
    bool matchesWalk(const HtmlNameIndex& index, std::size_t& at) const;
    // A child's markup: a tag built now, or the markup its memo kept.
    struct RenderedChild {
        std::unique_ptr<TWFHTMLTag> tag;
        const std::string* remembered = nullptr;
        explicit operator bool() const { return tag != nullptr || remembered != nullptr; }
        void writeTo(std::string& out) const;
    };
    RenderedChild renderChild(TWFControl& control, std::size_t slot, const std::string& layoutName,
                              TWFPageContext40& context);
    bool writeRenderKey(const TWFControl& control, const std::string& layoutName,
                        const TWFPageContext40& context, TWFRenderKey& key) const;
    std::unique_ptr<TWFHTMLTag> renderControl(TWFControl& control, const std::string& layoutName,
                                              TWFPageContext40& context);

    std::vector<std::unique_ptr<TWFControl>> controls_;
    // The memo each child was last written from or recorded, by its place in controls_.
    std::vector<std::shared_ptr<const TWFRenderMemo>> memos_;
    // The children's markup last time, reserved up front the next time.
    std::size_t lastChildrenSize_ = 0;
};

}  // namespace web::forms
