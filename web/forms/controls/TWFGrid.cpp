#include "web/forms/controls/TWFGrid.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TextParts.h"
#include "web/server/Text.h"

namespace web::forms {

TWFGrid::TWFGrid(std::string name) : TWFCustomGrid(std::move(name)) {}

// A row's cells are written straight as text into its tr, which writes its content as it
// is: the same markup as a tag per cell.
void TWFGrid::renderRows(TWFHTMLTag& table, TWFPageContext40& context) {
    const ClickLinks links(*this, context.browser());
    for (int row = 0; row < RowCount(); ++row) {
        std::string cells;
        for (int column = 0; column < ColumnCount(); ++column) {
            TWFGridCell* cell = cells_.Find(row, column);
            if (cell == nullptr) {
                appendParts(cells, "<td>", ShowEmptyCells ? "&nbsp;" : "", "</td>");
            } else if (!cell->Visible) {
                cells += "<td>&nbsp;</td>";
            } else if (cell->Clickable) {
                const TWFTextElement text(cell->Text,
                                          cell->RawText ? TWFTextKind::Markup : TWFTextKind::TextWithBreaks);
                std::string parameter;
                appendInt(parameter, row);
                parameter += '_';
                appendInt(parameter, column);
                std::string markup;
                links.write(markup, parameter, text);
                const TWFTextElement link(std::move(markup), TWFTextKind::Markup);
                writeCell(cells, *cell, row, column, &link);
            } else {
                writeCell(cells, *cell, row, column, nullptr);
            }
        }
        table.addTag("tr").addMarkup(std::move(cells));
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
