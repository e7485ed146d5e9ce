#pragma once

#include <functional>
#include <string>

#include "web/forms/TWFRenderMemo.h"
#include "web/forms/controls/TWFCustomGrid.h"

namespace web::forms {

// A click on a clickable cell: the grid, and the cell's row and column.
using TWFOnCellClick = std::function<void(TWFControl& sender, int row, int column)>;

// A table whose cells the page fills one by one. A Clickable cell is a link that posts
// "row_column"; the grid then fires OnCellClick. Cells keep their properties for the life
// of the page, also when the grid is resized around them.
class TWFGrid : public TWFCustomGrid {
public:
    explicit TWFGrid(std::string name);

    // An empty slot shows "&nbsp;" when on, nothing when off.
    bool ShowEmptyCells = true;
    bool ScrollToCurrentRow = false;
    TWFOnCellClick OnCellClick;

    int RowCount() const { return cells_.RowCount(); }
    int ColumnCount() const { return cells_.ColumnCount(); }
    // A negative count raises "Invalid RowCount value!"; rows beyond it are dropped.
    void SetRowCount(int rows) { cells_.SetRowCount(rows); }
    // 0 or less is ignored; columns beyond it are dropped.
    void SetColumnCount(int columns) { cells_.SetColumnCount(columns); }

    // The cell, created on first access with a copy of the grid's Font; "Index out of
    // bounds." outside the grid.
    TWFGridCell& Cell(int row, int column) { return cells_.Cell(row, column, Font); }
    bool CellExists(int row, int column) const { return cells_.CellExists(row, column); }

    // "r_c": fires OnCellClick with row r and column c.
    void Submit(const std::string& parameter) override;

protected:
    void renderRows(TWFHTMLTag& table, TWFPageContext40& context) override;

private:
    void writeRowCells(std::string& out, int row, const ClickLinks& links);
    void writeRowKey(TWFRenderKey& key, int row, const ClickLinks& links) const;

    TWFGridCells cells_;
    // The memo each row was last written from, by row.
    std::vector<std::shared_ptr<const TWFRenderMemo>> rowMemos_;
};

}  // namespace web::forms
