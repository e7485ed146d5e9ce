#include "web/forms/controls/TWFMemo.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {

TWFMemoLines& TWFMemoLines::operator=(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    endsWithLineBreak_ = true;
    return *this;
}

void TWFMemoLines::Delete(std::size_t index) {
    if (index < lines_.size()) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string TWFMemoLines::Text() const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\r\n";
    return text;
}

void TWFMemoLines::SetPostedText(std::string_view text) {
    lines_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines_.emplace_back(text.substr(start));
            break;
        }
        lines_.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    endsWithLineBreak_ = Text() == text;
}

TWFMemo::TWFMemo(std::string name) : TWFControl(std::move(name), 121, 121) {
    RenderSize = true;
}

std::string TWFMemo::ShownText() const {
    std::string text = Lines.Text();
    if (!Lines.EndsWithLineBreak() && text.size() > 1) text.resize(text.size() - 2);
    return text;
}

std::unique_ptr<TWFHTMLTag> TWFMemo::renderTag(TWFPageContext40&) {
    auto tag = std::make_unique<TWFHTMLTag>("textarea");
    tag->setAttribute("NAME", HtmlName());
    if (!Editable) tag->addBareAttribute("READONLY");
    if (!Enabled) tag->setAttribute("DISABLED", "true");
    if (HorizScrollBar) tag->setAttribute("WRAP", "OFF");
    // The parser drops one line break right after the opening tag, so a text that begins
    // with one gets an extra one in front.
    std::string text = ShownText();
    if (!text.empty() && (text.front() == '\r' || text.front() == '\n')) text.insert(0, "\r\n");
    tag->addValueText(std::move(text));
    return tag;
}

std::string TWFMemo::styleAddition(const TWFPageContext40&) const {
    std::string style;
    if (BGColor != clNone) style += "background-color: " + htmlColor(BGColor) + "; ";
    if (!VertScrollBar) style += "overflow: visible;";
    if (InvisibleBorder) style += "border-style: none;border-color: #000000";
    return style;
}

void TWFMemo::addScripts(TWFPageContext40& context) {
    if (!Required) return;
    std::string name = HtmlName();
    context.validations.emplace_back(name + "WFCL != null && " + name + "WFCL.value.length==0",
                                     FriendlyName + " is a required field.");
}

void TWFMemo::SetValue(const std::string& value) {
    if (Enabled) Lines.SetPostedText(value);
}

bool TWFMemo::appendRenderKey(TWFRenderKey& key, const TWFPageContext40&) const {
    appendControlKey(key);
    key.numbers({Editable, Required, BGColor.value(), HorizScrollBar, VertScrollBar, InvisibleBorder, Enabled,
                 Lines.EndsWithLineBreak(), static_cast<long long>(Lines.Count())});
    for (const std::string& line : Lines.Strings()) key.text(line);
    return true;
}

}  // namespace web::forms
