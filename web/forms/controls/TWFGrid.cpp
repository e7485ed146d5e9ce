#include "web/forms/controls/TWFGrid.h"

#include "web/forms/TWFPageContext40.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {

TWFGrid::TWFGrid(std::string name) : TWFCustomGrid(std::move(name)) {}

void TWFGrid::renderRows(TWFHTMLTag& table, TWFPageContext40& context) {
    for (int row = 0; row < RowCount(); ++row) {
        auto& tr = table.addTag("tr");
        for (int column = 0; column < ColumnCount(); ++column) {
            TWFGridCell* cell = cells_.Find(row, column);
            if (cell == nullptr) {
                tr.addTag("td").addText(ShowEmptyCells ? "&nbsp;" : "");
            } else if (!cell->Visible) {
                tr.addTag("td").addText("&nbsp;");
            } else if (cell->Clickable) {
                // The link is markup; a cell that is not raw has its text escaped inside it.
                std::string text = cell->RawText ? cell->Text : web::HtmlEscape(cell->Text, true, false);
                std::string link = clickLink(std::to_string(row) + "_" + std::to_string(column), text,
                                             context.browser());
                tr.addElement(renderCell(*cell, row, column, &link));
            } else {
                tr.addElement(renderCell(*cell, row, column, nullptr));
            }
        }
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
