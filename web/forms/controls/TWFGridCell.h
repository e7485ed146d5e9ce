#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "web/forms/TColor.h"
#include "web/forms/TWFFont.h"
#include "web/forms/controls/TWFLabel.h"

namespace web::forms {

enum class TWFVAlign { vaMiddle, vaTop, vaBottom, vaBaseline };

// One cell of a grid table. Its text is markup (RawText) unless RawText is switched off.
class TWFGridCell {
public:
    std::string Text;
    bool RawText = true;
    // The content becomes a link that posts the cell's position.
    bool Clickable = false;
    std::string Hint;
    TColor BGColor = clNone;
    TAlignment Alignment = TAlignment::taLeftJustify;
    TWFVAlign VAlign = TWFVAlign::vaMiddle;
    bool Wrap = false;
    // th instead of td.
    bool Header = false;
    // An invisible cell keeps its place as an empty cell.
    bool Visible = true;
    TWFFont Font;
    bool DoSubmitValidation = true;
    int Tag = 0;

    // "0" writes no size. A width is "N%" (N > 0), N >= 0, or any text ending in "*"; a
    // height is "N%" or N. Other values raise EWFException; the value is kept trimmed.
    const std::string& Width() const { return width_; }
    const std::string& Height() const { return height_; }
    void SetWidth(std::string_view width);
    void SetHeight(std::string_view height);

private:
    std::string width_ = "0";
    std::string height_ = "0";
};

// The cells of a grid: RowCount x ColumnCount slots, each empty until its cell is first
// asked for. Resizing keeps the cells that stay inside the new size.
class TWFGridCells {
public:
    TWFGridCells();

    int RowCount() const { return static_cast<int>(rows_.size()); }
    int ColumnCount() const { return columns_; }
    // A negative count raises "Invalid RowCount value!".
    void SetRowCount(int rows);
    // A count of 0 or less is ignored.
    void SetColumnCount(int columns);

    // The cell at the position, created on first access with `font`. A position outside
    // the grid raises "Index out of bounds.".
    TWFGridCell& Cell(int row, int column, const TWFFont& font);
    bool CellExists(int row, int column) const;
    // The cell when it exists, else nullptr (no bounds error).
    TWFGridCell* Find(int row, int column) const;

private:
    using Row = std::vector<std::unique_ptr<TWFGridCell>>;
    void checkBounds(int row, int column) const;

    std::vector<Row> rows_;
    int columns_ = 1;
};

}  // namespace web::forms
