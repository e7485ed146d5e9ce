#include "web/forms/controls/TWFDBGrid.h"

#include <atomic>
#include <cstdint>
#include <optional>

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TextParts.h"
#include "web/server/Errors.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

// A row of an earlier read, written again as it was.
class SharedTag final : public TWFElement {
public:
    explicit SharedTag(std::shared_ptr<const TWFHTMLTag> tag) : tag_(std::move(tag)) {}
    void render(std::string& out) const override { tag_->render(out); }
    bool isTag() const override { return true; }

private:
    std::shared_ptr<const TWFHTMLTag> tag_;
};

// Keeps the data set's current record across the walk, also when a field read fails.
class PositionKeeper {
public:
    explicit PositionKeeper(TWFDataSet& data) : data_(data), mark_(data.GetBookmark()) {}
    ~PositionKeeper() {
        try {
            if (mark_) {
                data_.GotoBookmark(*mark_);
            } else {
                data_.First();
            }
        } catch (...) {  // a data set that cannot move back has no better place to be
        }
    }
    PositionKeeper(const PositionKeeper&) = delete;
    PositionKeeper& operator=(const PositionKeeper&) = delete;
    const std::optional<std::size_t>& mark() const { return mark_; }

private:
    TWFDataSet& data_;
    std::optional<std::size_t> mark_;
};

// The first `limit` characters of UTF-8 text and "...", or the text when it is not longer.
std::string cutCharacters(const std::string& text, int limit) {
    int characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
        if (characters == limit) return text.substr(0, at) + "...";
        ++characters;
    }
    return text;
}

bool isNumber(const std::string& text, double& value) {
    try {
        std::size_t used = 0;
        value = std::stod(text, &used);
        return used == text.size();
    } catch (const std::exception&) {
        return false;
    }
}

// Numbers compare as numbers, other texts as texts.
int compareValues(const std::string& a, const std::string& b) {
    double x = 0;
    double y = 0;
    if (isNumber(a, x) && isNumber(b, y)) return x < y ? -1 : (x > y ? 1 : 0);
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool matches(const std::string& text, const TWFDBGridColumn& column) {
    const std::string& value = column.CompareValue;
    switch (column.CompareHighlight) {
        case TWFHighlightCompare::hcEqualTo: return text == value;
        case TWFHighlightCompare::hcNotEqualTo: return text != value;
        case TWFHighlightCompare::hcContains: return text.find(value) != std::string::npos;
        case TWFHighlightCompare::hcDoesNotContain: return text.find(value) == std::string::npos;
        case TWFHighlightCompare::hcGreaterThan: return compareValues(text, value) > 0;
        case TWFHighlightCompare::hcLessThan: return compareValues(text, value) < 0;
        default: return true;
    }
}

// The column's text for the current record, before escaping.
std::string columnText(const TWFDataSet& data, const TWFDBGridColumn& column) {
    if (column.DataField().empty()) return column.Text;
    TWFFieldInfo field = data.FieldInfo(column.DataField());
    if (field.Kind == TWFFieldKind::fkGraphic) return "";
    std::string text = data.FieldText(column.DataField());
    if (field.Kind == TWFFieldKind::fkMemo && column.BlobCharLimit > 0) return cutCharacters(text, column.BlobCharLimit);
    return text;
}

std::string nextIdentity() {
    static std::atomic<std::uint32_t> counter{0};
    // Six digits without a leading zero: fixed width keeps "identity + k" unambiguous, and a
    // number written into a script never reads as octal.
    return std::to_string(100000 + counter.fetch_add(1) % 900000);
}

}  // namespace

TWFDBGridColumn::TWFDBGridColumn() { Title.Alignment = TAlignment::taCenter; }

void TWFDBGridColumn::SetDataField(std::string field) {
    dataField_ = std::move(field);
    if (Title.Text.empty()) Title.Text = dataField_;
}

TWFDBGridColumn& TWFDBGridColumns::Add() {
    columns_.push_back(std::make_unique<TWFDBGridColumn>());
    return *columns_.back();
}

TWFDBGridColumn& TWFDBGridColumns::Items(int index) {
    if (index < 0 || index >= Count()) {
        throw web::EWFException("List index out of bounds (" + std::to_string(index) + ").");
    }
    return *columns_[static_cast<std::size_t>(index)];
}

TWFDBGrid::TWFDBGrid(std::string name) : TWFCustomGrid(std::move(name)), identity_(nextIdentity()) {
    UseFrame = true;
}

struct TWFDBGrid::Walk {
    TWFDataSet& data;
    std::optional<std::size_t> current;
    // The links of the cells, their shared parts escaped once for the whole walk.
    ClickLinks links;
    int rows = 0;
};

void TWFDBGrid::renderRows(TWFHTMLTag& table, TWFPageContext40& context) {
    addRollOverScript(context);
    bool editing = DataSource != nullptr && DataSource->Active() && DataSource->Editing();
    bool read = RefreshMode == TWFRefreshMode::rmAlways || (RefreshMode == TWFRefreshMode::rmAutomatic && !editing);
    if (read) readRows(context);
    for (const auto& row : rows_) table.addElement(std::make_unique<SharedTag>(row));
    RenderSize = UseFrame || (UseSize && (RowLimit <= 0 || recordRows_ == RowLimit));
}

void TWFDBGrid::readRows(TWFPageContext40& context) {
    rows_.clear();
    recordRows_ = 0;
    if (DataSource == nullptr || !DataSource->Active()) return;
    try {
        walkRecords(*DataSource, context);
    } catch (...) {
        rows_.clear();  // no half-read table for a later render to repeat
        throw;
    }
}

void TWFDBGrid::walkRecords(TWFDataSet& data, TWFPageContext40& context) {
    if (data.Editing()) throw web::EWFException("Cannot refresh grid while data is in edit or insert mode.");
    if (columnsNeedMaking(data)) makeDefaultColumns(data);
    if (Options.dgShowTitles) addTitleRow(data, context);
    PositionKeeper keeper(data);
    if (FromStart || !keeper.mark()) data.First();
    int limit = RowLimit > 0 ? RowLimit : 0;
    if (limit > 0 && data.RecNo() > 0) {
        int back = (data.RecNo() - 1) % limit;
        if (back > 0) data.MoveBy(-back);
    }
    Walk walk{data, keeper.mark(), ClickLinks(*this, context.browser())};
    while (!data.Eof() && (limit == 0 || walk.rows < limit)) {
        ++walk.rows;
        addRecordRow(walk);
        data.Next();
    }
    recordRows_ = walk.rows;
}

bool TWFDBGrid::columnsNeedMaking(const TWFDataSet& data) {
    int index = 0;
    for (; index < Columns.Count(); ++index) {
        if (!Columns.Items(index).madeFromField_) return false;  // the page's own columns
    }
    index = 0;
    for (const TWFFieldInfo& field : data.FieldInfos()) {
        if (!field.Visible) continue;
        if (index == Columns.Count() || Columns.Items(index).DataField() != field.FieldName) return true;
        ++index;
    }
    return index != Columns.Count();
}

void TWFDBGrid::makeDefaultColumns(const TWFDataSet& data) {
    Columns.Clear();
    for (const TWFFieldInfo& field : data.FieldInfos()) {
        if (!field.Visible) continue;
        TWFDBGridColumn& column = Columns.Add();
        column.Title.Text = field.DisplayName;
        column.SetDataField(field.FieldName);
        column.madeFromField_ = true;
    }
}

void TWFDBGrid::addTitleRow(const TWFDataSet& data, TWFPageContext40& context) {
    auto row = std::make_shared<TWFHTMLTag>("tr");
    if (Options.dgIndicator) {
        auto& indicator = row->addTag("th");
        indicator.setColorAttribute("BGCOLOR", RowHeaderColor);
        indicator.addMarkup("&nbsp");
    }
    for (int index = 0; index < Columns.Count(); ++index) {
        TWFDBGridColumn& column = Columns.Items(index);
        if (!column.Visible) continue;
        TWFGridCell title = column.Title;
        title.Hint.clear();
        title.RawText = true;
        if (title.Text.empty() && !column.DataField().empty()) {
            title.Text = data.FieldInfo(column.DataField()).DisplayName;
        }
        std::unique_ptr<TWFHTMLTag> cell;
        if (column.OnTitleClick) {
            TWFTextElement link(
                clickLink("C" + std::to_string(index), TWFTextElement(title.Text, TWFTextKind::Markup),
                          context.browser(), title.Font.CSSStyle),
                TWFTextKind::Markup);
            cell = renderCell(title, 0, index, &link);
        } else {
            cell = renderCell(title, 0, index, nullptr);
        }
        cell->setColorAttribute("BGCOLOR", RowHeaderColor);
        row->addElement(std::move(cell));
    }
    rows_.push_back(std::move(row));
}

void TWFDBGrid::addRecordRow(Walk& walk) {
    TWFDataSet& data = walk.data;
    const int k = walk.rows;
    const bool current = walk.current.has_value() && data.GetBookmark() == walk.current;
    auto row = std::make_shared<TWFHTMLTag>("tr");
    std::string id = rowId(k);
    row->setAttribute("ID", id);
    if (RollOver) {
        row->setAttribute("OnMouseOut", "rollon_" + HtmlName() + "(" + id + ",'')");
        row->setAttribute("OnMouseOver", "rollon_" + HtmlName() + "(" + id + ",'over')");
    }

    std::vector<std::pair<int, std::string>> texts;  // visible columns with their texts
    bool highlighted = HighlightRows;
    bool anyRule = false;
    for (int index = 0; index < Columns.Count(); ++index) {
        TWFDBGridColumn& column = Columns.Items(index);
        if (!column.Visible) continue;
        texts.emplace_back(index, columnText(data, column));
        if (column.CompareHighlight == TWFHighlightCompare::hcNone) continue;
        anyRule = true;
        highlighted = highlighted && matches(texts.back().second, column);
    }
    highlighted = highlighted && anyRule;
    if (current && RowCurrentColor != clNone) {
        row->setColorAttribute("BGCOLOR", RowCurrentColor);
    } else if (highlighted) {
        row->setColorAttribute("BGCOLOR", HighlightColor);
    } else if (k % 2 == 0) {
        row->setColorAttribute("BGCOLOR", RowAlternateColor);
    }
    // The cells are written straight as text into the row, which writes its content as it
    // is: a list has a cell for every record and column.
    std::string cells;
    if (Options.dgIndicator) appendParts(cells, "<td>", current ? "*" : "&nbsp ", "</td>");
    for (auto& [index, text] : texts) {
        TWFDBGridColumn& column = Columns.Items(index);
        TWFTextElement content(
            text, column.RawText && !RowClick ? TWFTextKind::Markup : TWFTextKind::TextWithBreaks);
        if (!column.LinkField.empty()) {
            std::string value = web::text::replaceAll(data.FieldText(column.LinkField), "'", "%27");
            std::string parameter = std::to_string(index) + "_" + value;
            if (RowClick) {
                row->setAttribute("OnClick", "SubmitClickConfirm('" + HtmlName() + "','" +
                                                 web::ScriptStringEscape(parameter) + "', true, '')");
                row->setAttribute("STYLE", "cursor:hand;");
            } else {
                std::string link;
                walk.links.write(link, parameter, content);
                content = TWFTextElement(std::move(link), TWFTextKind::Markup);
            }
        }
        TWFGridCell cell = column;
        cell.Text = text;
        cell.RawText = true;
        writeCell(cells, cell, k, index, &content);
    }
    row->addMarkup(std::move(cells));
    rows_.push_back(std::move(row));
}

std::string TWFDBGrid::rowId(int k) const { return identity_ + std::to_string(k); }

void TWFDBGrid::addRollOverScript(TWFPageContext40& context) const {
    const std::string element = "document.getElementById(row).style.backgroundColor";
    context.AddPageScript("function rollon_" + HtmlName() + "(row,where){ ");
    context.AddPageScript("var tablecolor;");
    context.AddPageScript("if (where == 'over'){");
    context.AddPageScript(" currentcolor=" + element);
    context.AddPageScript(" " + element + "='" + htmlColor(RollOverColor) + "' ");
    context.AddPageScript(" }else{ ");
    context.AddPageScript(" " + element + "=currentcolor; }");
    context.AddPageScript("}");
}

void TWFDBGrid::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (!parameter.empty() && parameter.front() == 'C') {
        TWFDBGridColumn& column = Columns.Items(parseSubmitInteger(std::string_view(parameter).substr(1)));
        if (column.OnTitleClick) column.OnTitleClick(column);
        return;
    }
    std::string value = parameter;
    TWFDBGridColumn& column = Columns.Items(parseSubmitInteger(web::text::cutWord(value, '_')));
    if (column.OnClick) column.OnClick(column, value);
}

}  // namespace web::forms
