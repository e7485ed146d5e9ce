#include "web/forms/controls/TWFGridCell.h"

#include <cctype>

#include "web/server/Errors.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool positive(std::string_view digits) { return digits.find_first_not_of('0') != std::string_view::npos; }

// "N%" with N > 0, or N >= 0.
bool isSize(std::string_view text) {
    if (!text.empty() && text.back() == '%') {
        std::string_view number = text.substr(0, text.size() - 1);
        return allDigits(number) && positive(number);
    }
    return allDigits(text);
}

}  // namespace

void TWFGridCell::SetWidth(std::string_view width) {
    std::string value = web::text::trim(width);
    bool relative = !value.empty() && value.back() == '*';
    if (!relative && !isSize(value)) throw web::EWFException("\"" + std::string(width) + "\" is not a valid width.");
    width_ = value;
}

void TWFGridCell::SetHeight(std::string_view height) {
    std::string value = web::text::trim(height);
    if (!isSize(value)) throw web::EWFException("\"" + std::string(height) + "\" is not a valid height.");
    height_ = value;
}

TWFGridCells::TWFGridCells() { SetRowCount(1); }

void TWFGridCells::SetRowCount(int rows) {
    if (rows < 0) throw web::EWFException("Invalid RowCount value!");
    rows_.resize(static_cast<std::size_t>(rows));
    for (Row& row : rows_) row.resize(static_cast<std::size_t>(columns_));
}

void TWFGridCells::SetColumnCount(int columns) {
    if (columns <= 0 || columns == columns_) return;
    columns_ = columns;
    for (Row& row : rows_) row.resize(static_cast<std::size_t>(columns_));
}

void TWFGridCells::checkBounds(int row, int column) const {
    if (row < 0 || column < 0 || row >= RowCount() || column >= columns_) {
        throw web::EWFException("Index out of bounds.");
    }
}

TWFGridCell& TWFGridCells::Cell(int row, int column, const TWFFont& font) {
    checkBounds(row, column);
    auto& slot = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (!slot) {
        slot = std::make_unique<TWFGridCell>();
        slot->Font = font;
    }
    return *slot;
}

bool TWFGridCells::CellExists(int row, int column) const {
    checkBounds(row, column);
    return Find(row, column) != nullptr;
}

TWFGridCell* TWFGridCells::Find(int row, int column) const {
    if (row < 0 || column < 0 || row >= RowCount() || column >= columns_) return nullptr;
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].get();
}

}  // namespace web::forms
