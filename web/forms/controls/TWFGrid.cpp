#include "web/forms/controls/TWFGrid.h"

#include "web/forms/TWFPageContext40.h"
#include "web/server/Text.h"

namespace web::forms {

TWFGrid::TWFGrid(std::string name) : TWFCustomGrid(std::move(name)) {}

void TWFGrid::renderRows(TWFHTMLTag& table, TWFPageContext40& context) {
    for (int row = 0; row < RowCount(); ++row) {
        auto& tr = table.addTag("tr");
        for (int column = 0; column < ColumnCount(); ++column) {
            TWFGridCell* cell = cells_.Find(row, column);
            if (cell == nullptr) {
                tr.addTag("td").addMarkup(ShowEmptyCells ? "&nbsp;" : "");
            } else if (!cell->Visible) {
                tr.addTag("td").addMarkup("&nbsp;");
            } else if (cell->Clickable) {
                TWFTextElement text(cell->Text,
                                    cell->RawText ? TWFTextKind::Markup : TWFTextKind::TextWithBreaks);
                TWFTextElement link(
                    clickLink(std::to_string(row) + "_" + std::to_string(column), text, context.browser()),
                    TWFTextKind::Markup);
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
