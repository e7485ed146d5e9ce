#include "web/forms/TWFContainer.h"

#include <algorithm>
#include <cstdint>
#include <typeinfo>
#include <utility>

#include "web/forms/ControlStyle.h"
#include "web/forms/TWFPageContext40.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

const char* alignName(TWFAlign align) {
    static const char* const kNames[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
    return kNames[static_cast<int>(align)];
}

const char* flag(bool value) {
    return value ? "true" : "false";
}

void addLayoutScripts(const TWFControl& control, const std::string& name, const std::string& parentLayout,
                      TWFPageContext40& context) {
    appendParts(context.pageScript, "var ", name, "WFCL = null;\r\n");
    context.AddWFCLInitLine(name, "WFCL = CreateWFCLObject(", parentLayout, ", \"", name, "\", \"", name,
                            "WFCL\");");
    context.AddWFCLInitLine("SetVisibility(", name, "WFCL, true);");
    if (control.Align == TWFAlign::alNone && control.Anchors.isDefault()) return;
    const TWFAnchors& a = control.Anchors;
    context.AddWFCLInitLine("if (", name, "WFCL != null) {");
    context.AddWFCLInitLine("  ", name, "WFCL.SetAlign(", alignName(control.Align), ");\r\n ", name,
                            "WFCL.SetAnchors(new CreateAnchors(", flag(a.akLeft), ", ", flag(a.akRight), ", ",
                            flag(a.akTop), ", ", flag(a.akBottom), "));");
    context.AddWFCLInitScript("}");
}

// Hooks each client event of the control (its ScriptEvents, then its own) as a named
// function of the page script.
void addEventScripts(const TWFControl& control, const std::string& name, TWFPageContext40& context) {
    const TWFScriptEvents own = control.ownScriptEvents(context);
    if (control.ScriptEvents.empty() && own.empty()) return;
    std::vector<std::string> hooked;
    const bool explorer =
        context.browser() == web::TWFBrowser::brIE || context.browser() == web::TWFBrowser::brIE4;
    const auto hook = [&](const std::string& eventName, const std::string& code) {
        if (code.empty()) return;
        std::string lower = web::text::toLower(eventName);
        const std::string_view bare = std::string_view(lower).substr(lower.rfind("on", 0) == 0 ? 2 : 0);
        const auto earlier = static_cast<std::size_t>(std::count(hooked.begin(), hooked.end(), lower));
        std::string function = name;
        appendParts(function, "_", lower);
        if (earlier > 0) appendInt(function, static_cast<long long>(earlier - 1));
        // A function's text spans several lines, so the page script gets a blank line after it.
        appendParts(context.pageScript, "function ", function, explorer ? "(" : "(event", ") {\r\n",
                    normalizeScriptEventCode(code), "}\r\n\r\n");
        if (earlier == 0) {
            context.AddWFCLInitLine("if (", name, "WFCL != null) ", name, "WFCL.HookEvent(\"", bare, "\",",
                                    function, ");");
        } else {
            context.AddWFCLInitLine("if(", name, "WFCL) ", name, "WFCL.HookEvent(\"", bare, "\",", function,
                                    ");");
        }
        hooked.push_back(std::move(lower));
    };
    for (const auto& [eventName, code] : control.ScriptEvents) hook(eventName, code);
    for (const auto& [eventName, code] : own) hook(eventName, code);
}

// The field of SubmitForm a control posts its value or click under, if any.
std::optional<std::string> submitFieldOf(const TWFControl& control) {
    if (control.hasSubmitField() || (control.isInputControl() && control.isEditable()))
        return control.InputName();
    return std::nullopt;
}

struct AxisPlace {
    int start;
    int length;
};

AxisPlace placeOnAxis(int start, int length, int oldLength, int newLength, bool nearAnchor, bool farAnchor) {
    int change = newLength - oldLength;
    if (nearAnchor && farAnchor) return {start, std::max(0, length + change)};
    if (farAnchor) return {start + change, length};
    if (nearAnchor || oldLength <= 0) return {start, length};
    double centre = (start + length / 2.0) * newLength / oldLength;
    return {static_cast<int>(centre - length / 2.0 + 0.5), length};
}

}  // namespace

void TWFContainer::LayoutChildren(int oldWidth, int oldHeight, int newWidth, int newHeight) {
    if (oldWidth == newWidth && oldHeight == newHeight) return;
    for (const auto& control : controls_) {
        const TWFAnchors& a = control->Anchors;
        AxisPlace x = placeOnAxis(control->Left, control->Width, oldWidth, newWidth, a.akLeft, a.akRight);
        AxisPlace y = placeOnAxis(control->Top, control->Height, oldHeight, newHeight, a.akTop, a.akBottom);
        int previousWidth = control->Width;
        int previousHeight = control->Height;
        control->Left = x.start;
        control->Width = x.length;
        control->Top = y.start;
        control->Height = y.length;
        if (TWFContainer* container = control->asContainer()) {
            container->LayoutChildren(previousWidth, previousHeight, x.length, y.length);
        }
    }
}

std::unique_ptr<TWFHTMLTag> TWFContainer::renderControl(TWFControl& control, const std::string& layoutName,
                                                        TWFPageContext40& context) {
    std::string name = control.HtmlName();
    if (control.isNonVisual()) {
        control.addScripts(context);
        context.rendered.emplace_back(name, &control);
        return nullptr;
    }
    // Registered before the control renders: a region's children register with it.
    addLayoutScripts(control, name, layoutName, context);
    std::unique_ptr<TWFHTMLTag> tag = control.renderTag(context);
    if (!tag) return nullptr;
    TWFControlStyleInput input;
    input.Left = control.Left;
    input.Top = control.Top;
    input.Width = control.Width;
    input.Height = control.Height;
    input.placement = IsPage() ? TWFPlacement::Page : TWFPlacement::Region;
    input.regionBorderWidth = BorderPixels();
    input.ZIndex = control.ZIndex;
    input.Font = control.Font;
    input.RenderSize = control.RenderSize;
    input.AutoSize = !control.RenderSize;
    input.isRegion = control.isContainer();
    input.clipContent = control.isContainer();
    input.Cursor = control.Cursor;
    input.browser = context.browser();
    TWFControlStyle style = buildControlStyle(input, name);
    style.styleText += control.styleAddition(context);
    std::optional<int> tab;
    if (control.wantsFormWrapper() && control.tagIsTabStop()) tab = control.tabIndex() - 1;
    applyControlAttributes(
        *tag, style,
        TWFControlAttributes{name, control.isInputControl(), tab, control.ShowHint, control.Hint});
    style.appendHeadRule(context.styleRules);
    if (std::optional<std::string> field = submitFieldOf(control)) context.AddSubmitField(*field);
    addEventScripts(control, name, context);
    control.addScripts(context);
    if (control.GrowsWithContent) {
        context.AddInitScript("GrowToContent(" + name + "WFCL, " + std::to_string(control.Height) + ");");
    }
    context.rendered.emplace_back(name, &control);
    return tag;
}

// Consecutive input and submit controls share a form wrapper, written as it goes: the
// wrapper opens with its first control, so an empty one is never written.
void TWFContainer::RenderChildren(std::string& out, TWFPageContext40& context) {
    struct Child {
        TWFControl* control;
        std::size_t slot;
    };
    std::vector<Child> order;
    order.reserve(controls_.size());
    for (std::size_t slot = 0; slot < controls_.size(); ++slot) {
        if (controls_[slot]->Visible) order.push_back({controls_[slot].get(), slot});
    }
    std::stable_sort(order.begin(), order.end(), [](const Child& a, const Child& b) {
        return a.control->TabOrder < b.control->TabOrder;
    });
    memos_.resize(controls_.size());
    // The children's layout objects all hang from this container's.
    const std::string layoutName = order.empty() ? std::string() : LayoutObjectName();
    bool wrapperOpen = false;
    auto closeWrapper = [&] {
        if (wrapperOpen) out += "\r\n</form>";
        wrapperOpen = false;
    };
    for (const auto& [control, slot] : order) {
        const RenderedChild child = renderChild(*control, slot, layoutName, context);
        if (!child) continue;
        if (!control->wantsFormWrapper()) {
            closeWrapper();
            child.writeTo(out);
            continue;
        }
        if (control->opensOwnFormWrapper()) closeWrapper();
        if (!wrapperOpen) out += "<form onsubmit=\"return FormDefaultSubmit();\">";
        wrapperOpen = true;
        out += "\r\n  ";
        child.writeTo(out);
    }
    closeWrapper();
}

void TWFContainer::RenderedChild::writeTo(std::string& out) const {
    if (remembered != nullptr) {
        out += *remembered;
    } else {
        tag->render(out);
    }
}

// A control whose inputs are those of an earlier render, its own or another session's, is
// written from that render's memo.
TWFContainer::RenderedChild TWFContainer::renderChild(TWFControl& control, std::size_t slot,
                                                      const std::string& layoutName,
                                                      TWFPageContext40& context) {
    // One key per thread will do: a control that tells its key renders no other control.
    thread_local TWFRenderKey key;
    if (control.isNonVisual() || !writeRenderKey(control, layoutName, context, key))
        return {renderControl(control, layoutName, context)};
    std::shared_ptr<const TWFRenderMemo>& kept = memos_[slot];
    if (TWFRenderMemoTable::lookUp(kept, key.written())) {
        if (!CheckRenderMemos()) {
            kept->replay(context, control);
            return {nullptr, kept->markup()};
        }
        const TWFContextMarks before(context);
        std::unique_ptr<TWFHTMLTag> tag = renderControl(control, layoutName, context);
        if (!kept->sameAs(before, context, control, tag.get(), submitFieldOf(control)))
            StaleRenderMemo(control.HtmlName());
        return {std::move(tag)};
    }
    const TWFContextMarks before(context);
    std::unique_ptr<TWFHTMLTag> tag = renderControl(control, layoutName, context);
    // A few controls settle a property of their own while they render; a render that
    // changed its own inputs is not kept, the next one will be.
    thread_local TWFRenderKey after;
    writeRenderKey(control, layoutName, context, after);
    if (after.written() != key.written()) return {std::move(tag)};
    std::shared_ptr<const TWFRenderMemo> memo =
        TWFRenderMemo::record(key, before, context, control, tag.get(), submitFieldOf(control));
    if (memo == nullptr) return {std::move(tag)};
    TWFRenderMemoTable::keep(memo);
    kept = std::move(memo);
    return {nullptr, kept->markup()};
}

// The control's own inputs, then what the container and the page add to its render.
bool TWFContainer::writeRenderKey(const TWFControl& control, const std::string& layoutName,
                                  const TWFPageContext40& context, TWFRenderKey& key) const {
    key.begin(TWFRenderKey::Kind::Control);
    if (!control.appendRenderKey(key, context)) return false;
    // The table is shared by every kind of control: a label and a link must not meet in it
    // however alike their inputs.
    key.numbers({reinterpret_cast<std::intptr_t>(typeid(control).name())});
    key.numbers({IsPage(), BorderPixels(), static_cast<int>(context.browser()), control.wantsFormWrapper(),
                 control.tagIsTabStop(), control.isInputControl(), control.isEditable(),
                 control.hasSubmitField(), control.isContainer()});
    key.text(control.HtmlName()).text(layoutName);
    return true;
}

std::string TWFContainer::RenderChildren(TWFPageContext40& context) {
    std::string out;
    out.reserve(lastChildrenSize_ + lastChildrenSize_ / 8);
    RenderChildren(out, context);
    lastChildrenSize_ = out.size();
    return out;
}

void TWFContainer::FindByHtmlName(const std::string& htmlName, std::vector<TWFControl*>& found) const {
    if (!ContainerVisible()) return;
    for (const auto& control : controls_) {
        if (control->HasHtmlName(htmlName)) found.push_back(control.get());
        if (const TWFContainer* container = control->asContainer()) {
            if (control->Visible) container->FindByHtmlName(htmlName, found);
        }
    }
}

void TWFContainer::IndexByHtmlName(HtmlNameIndex& index) const {
    std::size_t at = 0;
    if (!index.seen_.empty() && matchesWalk(index, at) && at == index.seen_.size()) return;
    index.entries_.clear();
    index.entries_.reserve(2 * controls_.size() + 16);
    index.containers_.clear();
    index.seen_.clear();
    collectHtmlNames(index, nullptr, std::nullopt);
    // Stable: the controls of one name keep the order of the walk.
    std::stable_sort(index.entries_.begin(), index.entries_.end(),
                     [](const auto& a, const auto& b) { return a.name < b.name; });
}

void TWFContainer::collectHtmlNames(HtmlNameIndex& index, const TWFControl* asControl,
                                    std::optional<std::size_t> parent) const {
    const std::size_t here = index.containers_.size();
    index.containers_.push_back({this, asControl, parent});
    index.seen_.push_back({nullptr, ChildNameSuffix()});
    for (const auto& control : controls_) {
        std::string name = control->HtmlName();
        web::text::makeUpper(name);
        if (const std::string_view suffix = control->InputNameSuffix(); !suffix.empty()) {
            std::string input = name;
            input += suffix;
            web::text::makeUpper(input);
            index.entries_.push_back({std::move(input), control.get(), here});
        }
        index.entries_.push_back({std::move(name), control.get(), here});
        index.seen_.push_back({control.get(), control->Name});
        if (const TWFContainer* container = std::as_const(*control).asContainer())
            container->collectHtmlNames(index, control.get(), here);
    }
}

// Whether the walk recorded in `index` from `at` on is this container's walk as it would
// be now; moves `at` past it.
bool TWFContainer::matchesWalk(const HtmlNameIndex& index, std::size_t& at) const {
    const std::vector<HtmlNameIndex::Seen>& seen = index.seen_;
    if (at >= seen.size() || seen[at].control != nullptr || seen[at].text != ChildNameSuffix()) return false;
    ++at;
    for (const auto& control : controls_) {
        if (at >= seen.size() || seen[at].control != control.get() || seen[at].text != control->Name) {
            return false;
        }
        ++at;
        const TWFContainer* container = std::as_const(*control).asContainer();
        if (container != nullptr && !container->matchesWalk(index, at)) return false;
    }
    return true;
}

std::vector<TWFControl*> TWFContainer::HtmlNameIndex::find(std::string_view upperName) const {
    auto first =
        std::lower_bound(entries_.begin(), entries_.end(), upperName,
                         [](const Entry& entry, std::string_view name) { return entry.name < name; });
    std::vector<TWFControl*> found;
    for (; first != entries_.end() && first->name == upperName; ++first) {
        if (reachable(first->container)) found.push_back(first->control);
    }
    return found;
}

// Whether FindByHtmlName, which skips invisible containers with everything in them, would
// walk into the container now.
bool TWFContainer::HtmlNameIndex::reachable(std::size_t container) const {
    for (std::optional<std::size_t> at = container; at; at = containers_[*at].parent) {
        const Container& walked = containers_[*at];
        if (walked.control != nullptr && !walked.control->Visible) return false;
        if (!walked.container->ContainerVisible()) return false;
    }
    return true;
}

}  // namespace web::forms
