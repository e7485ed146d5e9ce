#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "web/forms/TColor.h"
#include "web/forms/TWFControl.h"
#include "web/forms/controls/TWFGridCell.h"

namespace web::forms {

// Which outer sides of the table get a border.
enum class TWFTableFrame { tfDefault, tfVoid, tfAbove, tfBelow, tvHorizSides, tfVertSides, tfLeft, tfRight };
// Which inner lines of the table are drawn.
enum class TWFTableLines { tlAll, tlNone, tlRows, tlCols };

struct TWFBorderColors {
    TColor Color = clNone;
    TColor Light = clNone;
    TColor Dark = clNone;
};

class TWFCustomGrid;
using TWFOnRenderGrid = std::function<void(TWFCustomGrid& grid)>;
// Fired for every visible cell just before it is written; the handler may change the cell.
using TWFOnRenderCell = std::function<void(TWFGridCell& cell, int row, int column)>;

// What both grids share: an HTML table with an id of its own ("tbl" + the HTML name), cells
// written by one cell renderer, links whose click posts a parameter, and an optional
// scrolling frame around the table. A grid sits in a form wrapper of its own.
class TWFCustomGrid : public TWFControl {
public:
    explicit TWFCustomGrid(std::string name);

    int BorderSize = 1;
    TWFBorderColors BorderColors;
    TWFTableFrame BorderStyle = TWFTableFrame::tfDefault;
    TWFTableLines Lines = TWFTableLines::tlAll;
    TColor BGColor = clNone;
    int CellPadding = 0;
    int CellSpacing = 0;
    // Written as markup.
    std::string Caption;
    std::string Summary;
    bool UseSize = true;
    // Wraps the table in a scrolling box of the control's size.
    bool UseFrame = false;
    int FrameBuffer = 40;
    // Validation and confirmation of the posts of the grid's links.
    bool DoSubmitValidation = true;
    std::string Confirmation;
    TWFOnRenderGrid OnRender;
    TWFOnRenderCell OnRenderCell;

    bool isSubmitControl() const override { return true; }
    bool opensOwnFormWrapper() const override { return true; }
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) final;
    void addScripts(TWFPageContext40& context) override;

protected:
    // Adds the rows to the table; may decide RenderSize (it starts as UseSize).
    virtual void renderRows(TWFHTMLTag& table, TWFPageContext40& context) = 0;

    // A td or th for the cell, showing `content` instead of the cell's Text when given
    // (the cell's Text is markup with RawText, else text); fires OnRenderCell first.
    std::unique_ptr<TWFHTMLTag> renderCell(TWFGridCell& cell, int row, int column,
                                           const TWFTextElement* content);
    // The markup of renderCell's tag, appended to `out`.
    void writeCell(std::string& out, TWFGridCell& cell, int row, int column, const TWFTextElement* content);
    // The links of one render: markup of a link whose click posts a parameter as the grid's
    // event parameter.
    class ClickLinks {
    public:
        ClickLinks(const TWFCustomGrid& grid, web::TWFBrowser browser, std::string_view className = {});
        void write(std::string& out, std::string_view parameter, const TWFTextElement& content) const;
        // Everything of a link but its parameter and content.
        const std::string& opening() const { return opening_; }
        const std::string& closing() const { return closing_; }

    private:
        std::string opening_;
        std::string closing_;
    };
    // The markup of a link whose click posts `parameter` as the grid's event parameter.
    std::string clickLink(std::string_view parameter, const TWFTextElement& content, web::TWFBrowser browser,
                          const std::string& className = "") const;

private:
    static const TWFTextElement& shownContent(const TWFGridCell& cell, const TWFTextElement* content,
                                              std::optional<TWFTextElement>& own);
    std::unique_ptr<TWFHTMLTag> tableTag() const;
    std::unique_ptr<TWFHTMLTag> frameAround(std::unique_ptr<TWFHTMLTag> table, web::TWFBrowser browser) const;
};

// A posted number: decimal digits with an optional sign; anything else raises EWFException.
int parseSubmitInteger(std::string_view text);

}  // namespace web::forms
