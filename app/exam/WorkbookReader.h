#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace exam {

// A file that is not a readable workbook; the message says so for the person who sent it.
class WorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The cells of one worksheet as rows of text, from row 1 and column A on: a missing cell is
// the empty text and a missing row an empty row; numbers come as the workbook stores them
// ("1.5"), booleans as "1" or "0", formulas as their last computed value.
using SheetRows = std::vector<std::vector<std::string>>;

inline constexpr std::size_t kMaxPartSize = 64 * 1024 * 1024;
inline constexpr std::size_t kMaxSheetRows = 1048576;

// Reads an .xlsx workbook held in memory: the sheet named `sheetName`, or the first sheet
// when the name is empty. Parts larger than kMaxPartSize (unpacked) are refused, so a
// small file cannot unpack into gigabytes. Reading stops past row `rowLimit`: the result
// then has rowLimit + 1 rows, the last one empty. Raises WorkbookError.
SheetRows ReadWorkbookSheet(std::string_view workbook, std::string_view sheetName = {},
                            std::size_t rowLimit = kMaxSheetRows);

// "A" -> 0, "Z" -> 25, "AA" -> 26: the column of a cell reference such as "AB12"; -1 for
// a reference without letters or one beyond column XFD.
int CellColumn(std::string_view reference);

}  // namespace exam
