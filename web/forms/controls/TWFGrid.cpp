#include "web/forms/controls/TWFGrid.h"

#include <string>

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TextParts.h"
#include "web/server/Text.h"

namespace web::forms {

TWFGrid::TWFGrid(std::string name) : TWFCustomGrid(std::move(name)) {}

// The rows are written straight as text, each row as its tr tag would write itself, and
// added to the table as one piece: a navigator has a row for every question, and a tag per
// row costs more than its text. They are the table's only tags, so the line break a tag
// writes before the table's end comes with them.
//
// A row whose cells are as they were in an earlier render, this session's or another's, is
// copied from that render's memo: at a click only the rows whose colour changed are new.
// A grid with OnRenderCell writes every row afresh, since the handler may change a cell as
// it is written.
void TWFGrid::renderRows(TWFHTMLTag& table, TWFPageContext40& context) {
    const ClickLinks links(*this, context.browser());
    rowMemos_.resize(static_cast<std::size_t>(RowCount()));
    thread_local TWFRenderKey key;
    std::string rows;
    for (int row = 0; row < RowCount(); ++row) {
        rows += "\r\n  <tr>";
        if (OnRenderCell) {
            writeRowCells(rows, row, links);
            rows += "</tr>";
            continue;
        }
        writeRowKey(key, row, links);
        std::shared_ptr<const TWFRenderMemo>& kept = rowMemos_[static_cast<std::size_t>(row)];
        if (!TWFRenderMemoTable::lookUp(kept, key.written())) {
            std::string cells;
            writeRowCells(cells, row, links);
            kept = TWFRenderMemo::ofMarkup(key, std::move(cells));
            TWFRenderMemoTable::keep(kept);
        } else if (CheckRenderMemos()) {
            std::string fresh;
            writeRowCells(fresh, row, links);
            if (fresh != *kept->markup()) StaleRenderMemo("row " + std::to_string(row) + " of " + HtmlName());
        }
        rows += *kept->markup();
        rows += "</tr>";
    }
    if (RowCount() == 0) return;
    rows += "\r\n";
    table.addMarkup(std::move(rows));
}

void TWFGrid::writeRowCells(std::string& out, int row, const ClickLinks& links) {
    std::string parameter;
    for (int column = 0; column < ColumnCount(); ++column) {
        TWFGridCell* cell = cells_.Find(row, column);
        if (cell == nullptr) {
            appendParts(out, "<td>", ShowEmptyCells ? "&nbsp;" : "", "</td>");
        } else if (!cell->Visible) {
            out += "<td>&nbsp;</td>";
        } else if (cell->Clickable) {
            const TWFTextElement text(cell->Text, cell->RawText ? TWFTextKind::Markup : TWFTextKind::TextWithBreaks);
            parameter.clear();
            appendInt(parameter, row);
            parameter += '_';
            appendInt(parameter, column);
            std::string markup;
            links.write(markup, parameter, text);
            const TWFTextElement link(std::move(markup), TWFTextKind::Markup);
            writeCell(out, *cell, row, column, &link);
        } else {
            writeCell(out, *cell, row, column, nullptr);
        }
    }
}

// Everything a row's cells are written from: their place, every property a cell shows, and
// the links' parts the grid gives them.
void TWFGrid::writeRowKey(TWFRenderKey& key, int row, const ClickLinks& links) const {
    key.begin(TWFRenderKey::Kind::GridRow);
    key.numbers({row, ColumnCount(), ShowEmptyCells});
    key.text(links.opening()).text(links.closing());
    for (int column = 0; column < ColumnCount(); ++column) {
        const TWFGridCell* cell = cells_.Find(row, column);
        if (cell == nullptr || !cell->Visible) {
            key.numbers({cell == nullptr ? 0 : 1});
            continue;
        }
        const TWFFont& font = cell->Font;
        key.numbers({2, cell->RawText, cell->Clickable, cell->BGColor.value(), static_cast<int>(cell->Alignment),
                     static_cast<int>(cell->VAlign), cell->Wrap, cell->Header, font.Color.value(), font.Size,
                     font.Style.bits()});
        key.text(cell->Text).text(cell->Hint).text(font.FontName).text(font.CSSStyle);
        key.text(cell->Width()).text(cell->Height());
    }
}

void TWFGrid::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    std::string rest = parameter;
    std::string rowText = web::text::cutWord(rest, '_');
    int row = parseSubmitInteger(rowText);
    int column = parseSubmitInteger(rest);
    if (OnCellClick) OnCellClick(*this, row, column);
}

}  // namespace web::forms
