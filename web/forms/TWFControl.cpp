#include "web/forms/TWFControl.h"

#include "web/forms/HTMLName.h"
#include "web/forms/TWFContainer.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/server/Text.h"

namespace web::forms {

TWFControl::TWFControl(std::string name, int width, int height)
    : Name(std::move(name)), Width(width), Height(height) {}

std::string TWFControl::HtmlName() const {
    std::string suffix = parent_ != nullptr ? parent_->ChildNameSuffix() : "";
    return htmlName(Name, TWFNameContext{parent_ != nullptr, suffix, {}});
}

std::string TWFControl::InputName() const {
    std::string name = HtmlName();
    name += InputNameSuffix();
    return name;
}

bool TWFControl::HasHtmlName(std::string_view name) const {
    const std::string own = HtmlName();
    if (web::text::equalsNoCase(own, name)) return true;
    const std::string_view suffix = InputNameSuffix();
    return !suffix.empty() && name.size() == own.size() + suffix.size() &&
           web::text::equalsNoCase(own, name.substr(0, own.size())) &&
           web::text::equalsNoCase(suffix, name.substr(own.size()));
}

void TWFControl::appendControlKey(TWFRenderKey& key) const {
    key.numbers({Left,
                 Top,
                 Width,
                 Height,
                 Visible,
                 static_cast<int>(Align),
                 Anchors.akLeft,
                 Anchors.akTop,
                 Anchors.akRight,
                 Anchors.akBottom,
                 ZIndex,
                 RenderSize,
                 Font.Color.value(),
                 Font.Size,
                 Font.Style.bits(),
                 ShowHint,
                 static_cast<int>(Cursor),
                 TabOrder,
                 GrowsWithContent,
                 static_cast<long long>(ScriptEvents.size())});
    key.text(Font.FontName).text(Font.CSSStyle).text(Hint).text(FriendlyName);
    for (const auto& [event, code] : ScriptEvents) key.text(event).text(code);
}

std::string normalizeScriptEventCode(std::string code) {
    if (code.find("return") == std::string::npos) code += "\r\nreturn true";
    if (code.empty() || code.back() != ';') code += ";";
    return code;
}

}  // namespace web::forms
