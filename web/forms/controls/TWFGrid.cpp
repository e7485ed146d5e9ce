#include "web/forms/controls/TWFGrid.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TextParts.h"
#include "web/server/Text.h"

namespace web::forms {

TWFGrid::TWFGrid(std::string name) : TWFCustomGrid(std::move(name)) {}

// The rows are written straight as text, each row as its tr tag would write itself, and
// added to the table as one piece: a navigator has a row for every question, and a tag per
// row costs more than its text. They are the table's only tags, so the line break a tag
// writes before the table's end comes with them.
void TWFGrid::renderRows(TWFHTMLTag& table, TWFPageContext40& context) {
    const ClickLinks links(*this, context.browser());
    std::string rows;
    std::string parameter;
    for (int row = 0; row < RowCount(); ++row) {
        rows += "\r\n  <tr>";
        for (int column = 0; column < ColumnCount(); ++column) {
            TWFGridCell* cell = cells_.Find(row, column);
            if (cell == nullptr) {
                appendParts(rows, "<td>", ShowEmptyCells ? "&nbsp;" : "", "</td>");
            } else if (!cell->Visible) {
                rows += "<td>&nbsp;</td>";
            } else if (cell->Clickable) {
                const TWFTextElement text(cell->Text,
                                          cell->RawText ? TWFTextKind::Markup : TWFTextKind::TextWithBreaks);
                parameter.clear();
                appendInt(parameter, row);
                parameter += '_';
                appendInt(parameter, column);
                std::string markup;
                links.write(markup, parameter, text);
                const TWFTextElement link(std::move(markup), TWFTextKind::Markup);
                writeCell(rows, *cell, row, column, &link);
            } else {
                writeCell(rows, *cell, row, column, nullptr);
            }
        }
        rows += "</tr>";
    }
    if (RowCount() == 0) return;
    rows += "\r\n";
    table.addMarkup(std::move(rows));
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
