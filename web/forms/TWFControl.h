#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/forms/TWFCursor.h"
#include "web/forms/TWFFont.h"
#include "web/forms/TWFHTMLTag.h"

namespace web::forms {

class TWFContainer;
class TWFPageContext40;
class TWFRenderKey;

enum class TWFAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TWFAnchors {
    bool akLeft = true;
    bool akTop = true;
    bool akRight = false;
    bool akBottom = false;
    bool isDefault() const { return akLeft && akTop && !akRight && !akBottom; }
};

// Client script attached to one browser event of a control ("OnClick", "OnFocus", ...).
using TWFScriptEvents = std::vector<std::pair<std::string, std::string>>;

// A control placed on a page or in a region. It renders its own tag; the page gives the
// tag its name, class, style rule, title and layout script. Input controls take posted
// values (SetValue); submit controls turn a posted click into their event (Submit).
class TWFControl {
public:
    explicit TWFControl(std::string name, int width = 121, int height = 21);
    virtual ~TWFControl() = default;
    TWFControl(const TWFControl&) = delete;
    TWFControl& operator=(const TWFControl&) = delete;

    std::string Name;
    int Left = 0;
    int Top = 0;
    int Width;
    int Height;
    bool Visible = true;
    TWFAlign Align = TWFAlign::alNone;
    TWFAnchors Anchors;
    int ZIndex = 0;
    bool RenderSize = false;
    TWFFont Font;
    std::string Hint;
    bool ShowHint = false;
    TWFCursor Cursor = TWFCursor::crAuto;
    int TabOrder = 0;
    // The content may be taller than Height (long texts): the browser lets the control
    // grow to fit and moves what lies below it down by as much.
    bool GrowsWithContent = false;
    std::string FriendlyName;
    TWFScriptEvents ScriptEvents;

    TWFContainer* Parent() const { return parent_; }
    void setParent(TWFContainer* parent) { parent_ = parent; }
    // The name the control is written and posted under.
    virtual std::string HtmlName() const;
    // The field of SubmitForm that carries the control's value: the HTML name and the
    // control's input name suffix.
    std::string InputName() const;
    // What some controls add to their HTML name for the field they post under.
    virtual std::string_view InputNameSuffix() const { return {}; }
    // Whether a posted field or action of this name belongs to the control: its name or
    // its input's name, in any letter case.
    bool HasHtmlName(std::string_view name) const;

    // --- roles --------------------------------------------------------------------
    virtual bool isContainer() const { return false; }
    // The control as the container of its children (a region), else nullptr: the walks
    // over a page ask every control, and a virtual call costs a fraction of a cast.
    virtual TWFContainer* asContainer() { return nullptr; }
    virtual const TWFContainer* asContainer() const { return nullptr; }
    // A grid opens a form wrapper of its own; the controls after it may join it.
    virtual bool opensOwnFormWrapper() const { return false; }
    virtual bool isInputControl() const { return false; }
    virtual bool isSubmitControl() const { return false; }
    // Buttons post an empty field of their own name.
    virtual bool hasSubmitField() const { return false; }
    // Controls that take input or can submit sit inside a form wrapper.
    virtual bool wantsFormWrapper() const { return isInputControl() || isSubmitControl(); }
    // The TabIndex written for a control in a form wrapper.
    int tabIndex() const { return TabOrder + 2; }
    // Whether the control's own tag carries the TabIndex. A control drawn as a wrapper
    // around its inputs writes it on the inputs instead, and decoration on none.
    virtual bool tagIsTabStop() const { return true; }
    virtual bool isEditable() const { return true; }
    // A disabled control neither takes a posted value nor fires from a post: the browser
    // never sends either for it, so only a forged post could.
    virtual bool isEnabled() const { return true; }
    // Non-visual components (the timer) have no element and no layout object; they only
    // add script when the page renders.
    virtual bool isNonVisual() const { return false; }

    // --- rendering ----------------------------------------------------------------
    // The control's own tag, or nullptr when it renders nothing.
    virtual std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) = 0;
    // Appended to the control's CSS text.
    virtual std::string styleAddition(const TWFPageContext40&) const { return ""; }
    // Script events the control adds itself (click scripts); ScriptEvents come first.
    virtual TWFScriptEvents ownScriptEvents(const TWFPageContext40&) const { return {}; }
    // Extra lines for the client layout, validation and the like.
    virtual void addScripts(TWFPageContext40&) {}
    // Writes every input the control renders from (its properties and whatever else its
    // tag, style and scripts read) into `key`, so that its container can write it again
    // from what it wrote last time while the key stays the same. A control that renders
    // from what it cannot name (a data set, files, the settings) returns false and is
    // rendered every time; so does any control that does not say.
    virtual bool appendRenderKey(TWFRenderKey&, const TWFPageContext40&) const { return false; }

    // --- submit -------------------------------------------------------------------
    virtual void SetValue(const std::string&) {}
    // Stores the parameter and fires the control's event.
    virtual void Submit(const std::string& parameter) { lastParameter_ = parameter; }
    const std::string& LastParameter() const { return lastParameter_; }

protected:
    // The inputs every control renders from: place, size, font, hint, events and the like.
    void appendControlKey(TWFRenderKey& key) const;

    std::string lastParameter_;

private:
    TWFContainer* parent_ = nullptr;
};

// A control's click event: the sender is the control.
using TNotifyEvent = std::function<void(TWFControl& sender)>;

// "return" added when the code lacks it, and a final ";" (how script events are written).
std::string normalizeScriptEventCode(std::string code);

}  // namespace web::forms
