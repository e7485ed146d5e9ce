#include "web/forms/controls/TWFCustomGrid.h"

#include <limits>
#include <optional>

#include "web/forms/ControlStyle.h"
#include "web/forms/TWFPageContext40.h"
#include "web/forms/TextParts.h"
#include "web/server/Errors.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

constexpr int kFrameBorderWidth = 2;

const char* vAlignName(TWFVAlign align) {
    switch (align) {
        case TWFVAlign::vaTop: return "top";
        case TWFVAlign::vaBottom: return "bottom";
        case TWFVAlign::vaBaseline: return "baseline";
        default: return "middle";
    }
}

const char* alignName(TAlignment alignment) {
    switch (alignment) {
        case TAlignment::taRightJustify: return "right";
        case TAlignment::taCenter: return "center";
        default: return "left";
    }
}

const char* rulesName(TWFTableLines lines) {
    switch (lines) {
        case TWFTableLines::tlNone: return "none";
        case TWFTableLines::tlRows: return "rows";
        case TWFTableLines::tlCols: return "cols";
        default: return "";
    }
}

const char* frameName(TWFTableFrame frame) {
    static const char* const kNames[] = {"", "void", "above", "below", "hsides", "vsides", "lhs", "rhs"};
    return kNames[static_cast<int>(frame)];
}

// Whether the content shows nothing once written (it then becomes "&nbsp;").
bool showsBlank(const TWFTextElement& content) {
    if (!web::text::isAllBlank(content.text())) return false;
    // Converted line breaks show as "<br>".
    return content.kind() == TWFTextKind::Markup || content.text().find('\n') == std::string::npos;
}

// The cell's content in the cell's font: inside a font element unless a site class styles
// the cell. Written as text, inline also in a th, which would put a child tag on a line of
// its own.
void appendFontWrapped(std::string& out, const TWFGridCell& cell, const TWFTextElement& content) {
    const TWFFont& font = cell.Font;
    if (!font.CSSStyle.empty()) {
        content.render(out);
        return;
    }
    out += "<font";
    appendAttribute(out, "face", font.FontName);
    if (font.Color != clWindowText) appendAttribute(out, "color", htmlColor(font.Color));
    out += " style=\"font-size:";
    appendInt(out, fontPixels(font.Size));
    out += "px;\">";
    static const std::pair<TFontStyle, const char*> kStyles[] = {{TFontStyle::fsBold, "B"},
                                                                 {TFontStyle::fsItalic, "I"},
                                                                 {TFontStyle::fsUnderline, "U"},
                                                                 {TFontStyle::fsStrikeOut, "STRIKE"}};
    for (const auto& [style, name] : kStyles) {
        if (font.Style.contains(style)) appendParts(out, "<", name, ">");
    }
    content.render(out);
    for (auto it = std::rbegin(kStyles); it != std::rend(kStyles); ++it) {
        if (font.Style.contains(it->first)) appendParts(out, "</", it->second, ">");
    }
    out += "</font>";
}

// Calls `set(name, value, kind)` for each attribute of a cell's tag and `bare(word)` for
// its bare word, in the order a tag writes them. Names are lower case, as a tag stores them.
template <class Set, class Bare>
void forEachCellAttribute(const TWFGridCell& cell, Set set, Bare bare) {
    set("valign", vAlignName(cell.VAlign), TWFAttributeKind::Value);
    set("align", alignName(cell.Alignment), TWFAttributeKind::Value);
    if (!web::text::isAllBlank(cell.Hint)) set("title", cell.Hint, TWFAttributeKind::Text);
    if (!cell.Wrap) bare("NOWRAP");
    if (cell.Width() != "0") set("width", cell.Width(), TWFAttributeKind::Value);
    if (cell.Height() != "0") set("height", cell.Height(), TWFAttributeKind::Value);
    set("bgcolor", htmlColor(cell.BGColor), TWFAttributeKind::Value);
    if (!cell.Font.CSSStyle.empty()) {
        set("class", cell.Font.CSSStyle, TWFAttributeKind::Value);
        set("style", "position:static;", TWFAttributeKind::Value);
    }
}

}  // namespace

TWFCustomGrid::TWFCustomGrid(std::string name) : TWFControl(std::move(name), 300, 150) {}

std::unique_ptr<TWFHTMLTag> TWFCustomGrid::renderTag(TWFPageContext40& context) {
    if (OnRender) OnRender(*this);
    RenderSize = UseSize;
    std::unique_ptr<TWFHTMLTag> table = tableTag();
    renderRows(*table, context);
    if (!UseFrame) return table;
    return frameAround(std::move(table), context.browser());
}

std::unique_ptr<TWFHTMLTag> TWFCustomGrid::tableTag() const {
    auto table = std::make_unique<TWFHTMLTag>("table");
    table->setAttribute("ID", "tbl" + HtmlName());
    if (BorderSize >= 0) table->setIntAttribute("Border", BorderSize);
    table->setColorAttribute("BGColor", BGColor);
    table->setIntAttribute("CELLPADDING", CellPadding);
    table->setIntAttribute("CELLSPACING", CellSpacing);
    if (UseSize) table->setAttribute("WIDTH", UseFrame ? "100%" : std::to_string(Width));
    if (BorderSize > 0) {
        table->setColorAttribute("BORDERCOLOR", BorderColors.Color);
        table->setColorAttribute("BORDERCOLORLIGHT", BorderColors.Light);
        table->setColorAttribute("BORDERCOLORDARK", BorderColors.Dark);
        table->setAttribute("RULES", rulesName(Lines));
        table->setAttribute("frame", frameName(BorderStyle));
    }
    // Caption and summary are the program's markup.
    if (!Caption.empty()) table->addMarkup("<CAPTION>" + Caption + "</CAPTION>");
    if (!Summary.empty()) table->addMarkup("<SUMMARY>" + Summary + "</SUMMARY>");
    return table;
}

std::unique_ptr<TWFHTMLTag> TWFCustomGrid::frameAround(std::unique_ptr<TWFHTMLTag> table,
                                                       web::TWFBrowser browser) const {
    bool plainOverflow = browser == web::TWFBrowser::brNetscape6 || browser == web::TWFBrowser::brNetscape7 ||
                         browser == web::TWFBrowser::brOpera || browser == web::TWFBrowser::brSafari;
    int grow = isInternetExplorer(browser) || browser == web::TWFBrowser::brOpera ? 0 : 2 * kFrameBorderWidth;
    std::string style = "border-style:inset;border-width:" + std::to_string(kFrameBorderWidth) + ";";
    style += plainOverflow ? "overflow:auto;" : "overflow-x:auto;overflow-y:auto;";
    style += "padding:0;clip:rect(0px," + std::to_string(Width + grow) + "px," + std::to_string(Height + grow) +
             "px,0px);";
    table->setAttribute("style", Font.styleText(browser));
    auto frame = std::make_unique<TWFHTMLTag>("div");
    frame->setAttribute("style", style);
    frame->addElement(std::move(table));
    return frame;
}

void TWFCustomGrid::addScripts(TWFPageContext40& context) {
    if (!UseFrame) return;
    std::string layout = HtmlName() + "WFCL";
    context.AddWFCLInitScript("if (" + layout + ") {");
    context.AddWFCLInitScript(layout + ".BorderWidthPixels = " + std::to_string(kFrameBorderWidth) + ";");
    context.AddWFCLInitScript("}");
}

// The parts every link of a render shares are escaped once: a grid has a link in every
// clickable cell. The parameter sits between two quotes of the script, so escaping the
// parts one by one writes what escaping the whole would.
TWFCustomGrid::ClickLinks::ClickLinks(const TWFCustomGrid& grid, web::TWFBrowser browser,
                                      std::string_view className)
    : opening_("<a href=\"#\" onclick=\"") {
    const bool explorer = isInternetExplorer(browser);
    std::string call = explorer ? "SubmitClickConfirm('" : "return SubmitClickConfirm('";
    appendParts(call, grid.HtmlName(), "','");
    web::AppendAttributeValue(opening_, call);
    call.clear();
    appendParts(call, "', ", grid.DoSubmitValidation ? "true" : "false", ", '",
                web::ScriptStringEscape(grid.Confirmation), "')", explorer ? ";return false;" : ";");
    web::AppendAttributeValue(closing_, call);
    closing_ += '"';
    if (grid.ShowHint && !grid.Hint.empty()) appendParts(closing_, " title=\"", hintTitle(grid.Hint), "\"");
    appendAttribute(closing_, "class", className);
    closing_ += '>';
}

void TWFCustomGrid::ClickLinks::write(std::string& out, std::string_view parameter,
                                      const TWFTextElement& content) const {
    out += opening_;
    web::AppendAttributeValue(out, web::ScriptStringEscape(parameter));
    out += closing_;
    content.render(out);
    out += "</a>";
}

std::string TWFCustomGrid::clickLink(std::string_view parameter, const TWFTextElement& content,
                                     web::TWFBrowser browser, const std::string& className) const {
    std::string link;
    ClickLinks(*this, browser, className).write(link, parameter, content);
    return link;
}

// What a cell shows: `content` when given, else the cell's own text; "&nbsp;" for nothing.
// `own` holds the cell's text element when it is shown.
const TWFTextElement& TWFCustomGrid::shownContent(const TWFGridCell& cell, const TWFTextElement* content,
                                                  std::optional<TWFTextElement>& own) {
    if (content == nullptr)
        content = &own.emplace(cell.Text, cell.RawText ? TWFTextKind::Markup : TWFTextKind::TextWithBreaks);
    static const TWFTextElement kBlank("&nbsp;", TWFTextKind::Markup);
    return showsBlank(*content) ? kBlank : *content;
}

std::unique_ptr<TWFHTMLTag> TWFCustomGrid::renderCell(TWFGridCell& cell, int row, int column,
                                                      const TWFTextElement* content) {
    if (OnRenderCell) OnRenderCell(cell, row, column);
    auto tag = std::make_unique<TWFHTMLTag>(cell.Header ? "th" : "td");
    forEachCellAttribute(
        cell,
        [&](std::string_view name, std::string_view value, TWFAttributeKind kind) {
            tag->params().setValue(name, value, kind);
        },
        [&](std::string_view word) { tag->addBareAttribute(word); });
    std::optional<TWFTextElement> own;
    std::string shown;
    appendFontWrapped(shown, cell, shownContent(cell, content, own));
    tag->addMarkup(std::move(shown));
    return tag;
}

// The same markup as renderCell's tag, written straight as text: a grid writes a cell for
// every question or record, and a tag per cell is most of a grid's cost.
void TWFCustomGrid::writeCell(std::string& out, TWFGridCell& cell, int row, int column,
                              const TWFTextElement* content) {
    if (OnRenderCell) OnRenderCell(cell, row, column);
    const char* tagName = cell.Header ? "th" : "td";
    appendParts(out, "<", tagName);
    forEachCellAttribute(
        cell,
        [&](std::string_view name, std::string_view value, TWFAttributeKind kind) {
            appendAttributeOfKind(out, name, value, kind);
        },
        [&](std::string_view word) { appendParts(out, " ", word); });
    out += '>';
    std::optional<TWFTextElement> own;
    appendFontWrapped(out, cell, shownContent(cell, content, own));
    appendParts(out, "</", tagName, ">");
}

int parseSubmitInteger(std::string_view text) {
    std::int64_t value = 0;
    if (!web::text::parseInt64(text, value) || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max()) {
        throw web::EWFException("\"" + std::string(text) + "\" is not a valid integer value.");
    }
    return static_cast<int>(value);
}

}  // namespace web::forms
