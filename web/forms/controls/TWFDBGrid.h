#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "web/forms/TWFDataSet.h"
#include "web/forms/controls/TWFCustomGrid.h"

namespace web::forms {

class TWFDBGridColumn;

// A click on a column's link: the column and the link field's value of the clicked record.
using TWFOnClickWithValue = std::function<void(TWFDBGridColumn& sender, const std::string& value)>;
using TWFOnTitleClick = std::function<void(TWFDBGridColumn& sender)>;

// How a column's value is compared with CompareValue for highlighting rows.
enum class TWFHighlightCompare {
    hcNone,
    hcEqualTo,
    hcNotEqualTo,
    hcContains,
    hcDoesNotContain,
    hcGreaterThan,
    hcLessThan
};

// A column of a database grid: a cell whose text comes from a field of each record. Its
// own RawText (off by default) decides whether the field's text is written as markup.
class TWFDBGridColumn : public TWFGridCell {
public:
    TWFDBGridColumn();

    const std::string& DataField() const { return dataField_; }
    // Also names the title after the field while the title is empty.
    void SetDataField(std::string field);
    // A field whose value a click on the cell posts; the cell becomes a link.
    std::string LinkField;
    bool RawText = false;
    // Long texts are cut to this many characters and "..." (0: whole).
    int BlobCharLimit = 0;
    std::string CompareValue;
    TWFHighlightCompare CompareHighlight = TWFHighlightCompare::hcNone;
    // The title cell, centred; written as markup.
    TWFGridCell Title;
    TWFOnClickWithValue OnClick;
    TWFOnTitleClick OnTitleClick;

private:
    friend class TWFDBGrid;
    std::string dataField_;
    // Made by the grid from a field of its data set, not by the page.
    bool madeFromField_ = false;
};

// The columns of a database grid, in display order.
class TWFDBGridColumns {
public:
    TWFDBGridColumn& Add();
    int Count() const { return static_cast<int>(columns_.size()); }
    // "List index out of bounds (i)." outside the collection.
    TWFDBGridColumn& Items(int index);
    TWFDBGridColumn& operator[](int index) { return Items(index); }
    void Clear() { columns_.clear(); }

private:
    std::vector<std::unique_ptr<TWFDBGridColumn>> columns_;
};

struct TWFDBGridOptions {
    // A first column marking the current record with "*".
    bool dgIndicator = false;
    bool dgShowTitles = true;
};

// When the grid reads its data set again: automatically (unless a record is being edited),
// always, or never (the rows of the last read are written again).
enum class TWFRefreshMode { rmAutomatic, rmAlways, rmManual };

// A table bound to a data set: every render walks the records and writes one row per
// record, then puts the data set back on the record where it was. A column with a
// LinkField posts "column index_value" from its cells and fires the column's OnClick.
class TWFDBGrid : public TWFCustomGrid {
public:
    explicit TWFDBGrid(std::string name);

    // Borrowed; none or a closed data set shows a table without rows.
    TWFDataSet* DataSource = nullptr;
    TWFDBGridColumns Columns;
    TWFDBGridOptions Options;
    bool FromStart = true;
    // At most this many rows, the block that holds the current record (0: all).
    int RowLimit = 0;
    bool RollOver = false;
    TColor RollOverColor = clNone;
    // The whole row posts the link value instead of a link in the cell.
    bool RowClick = false;
    bool HighlightRows = false;
    TColor HighlightColor = clNone;
    TColor RowHeaderColor = clNone;
    TColor RowAlternateColor = clNone;
    TColor RowCurrentColor = clNone;
    int FooterRowCount = 0;
    TWFRefreshMode RefreshMode = TWFRefreshMode::rmAutomatic;
    bool ScrollToCurrentRow = false;

    // "C" + index fires that column's OnTitleClick; "index_value" its OnClick with value.
    void Submit(const std::string& parameter) override;

protected:
    void renderRows(TWFHTMLTag& table, TWFPageContext40& context) override;

private:
    struct Walk;
    void readRows(TWFPageContext40& context);
    void walkRecords(TWFDataSet& data, TWFPageContext40& context);
    // Columns the grid made from the fields are made again when the fields changed.
    bool columnsNeedMaking(const TWFDataSet& data);
    void makeDefaultColumns(const TWFDataSet& data);
    void addTitleRow(const TWFDataSet& data, TWFPageContext40& context);
    void addRecordRow(Walk& walk);
    std::string rowId(int k) const;
    void addRollOverScript(TWFPageContext40& context) const;

    // Unique among the grids of the process, so the row ids of two grids never meet.
    std::string identity_;
    // The rows of the last read, and how many of them show records.
    std::vector<std::shared_ptr<const TWFHTMLTag>> rows_;
    int recordRows_ = 0;
};

}  // namespace web::forms
