// The grid page of the browser tests: a grid of clickable cells and a database grid over a
// query of a small question table, with a label that tells which click arrived.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Schema.h"
#include "tests/formsserver/TestPages.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFDBGrid.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFLabel.h"

namespace {

using namespace web::forms;

// The question database, made once in a temporary folder that goes with the process.
class QuestionFile {
public:
    static const std::filesystem::path& path() {
        static QuestionFile file;
        return file.file_;
    }

private:
    QuestionFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "grid-page-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
        folder_ = pattern;
        file_ = folder_ / exam::db::kDatabaseFileName;
        exam::db::InitDatabase(file_, exam::db::InitOptions{"secret", false});
        exam::db::Database db(file_);
        exam::db::Query insert(db);
        insert.SQL().Add("INSERT INTO tm (testid,题型,题目,答案,分数) VALUES (1,'单选题',?,?,1)");
        for (auto [text, answer] : {std::pair{"第一题 <b>粗</b>", "A"}, {"第二题", "O'K"}, {"第三题", "C"}}) {
            insert.Params({text, answer});
            insert.ExecSQL();
        }
    }
    ~QuestionFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::filesystem::path folder_;
    std::filesystem::path file_;
};

class GridPage : public TWFAppForm {
public:
    GridPage() : TWFAppForm("GridPage", "TGridPage", 1000, 600), db_(QuestionFile::path()), query_(db_) {
        Title = "Grid test";
        result_ = &Add(std::make_unique<TWFLabel>("WFLabel1"));
        result_->Left = 10;
        result_->Top = 10;
        result_->Width = 400;
        result_->Caption = "none";
        addCellGrid();
        addQuestionGrid();
    }

private:
    void addCellGrid() {
        auto& grid = Add(std::make_unique<TWFGrid>("WFGrid1"));
        grid.Left = 10;
        grid.Top = 50;
        grid.TabOrder = 1;
        grid.SetRowCount(3);
        grid.SetColumnCount(3);
        for (int column = 0; column < 3; ++column) {
            TWFGridCell& title = grid.Cell(0, column);
            title.Header = true;
            title.Text = "列" + std::to_string(column);
            for (int row = 1; row < 3; ++row) {
                TWFGridCell& cell = grid.Cell(row, column);
                cell.Clickable = true;
                cell.Text = std::to_string(row) + "," + std::to_string(column);
            }
        }
        grid.OnCellClick = [this](TWFControl& sender, int row, int column) {
            result_->Caption = sender.Name + " " + std::to_string(row) + " " + std::to_string(column);
        };
    }

    void addQuestionGrid() {
        query_.SQL().Add("select id as 编号,题目,答案 from tm order by id");
        query_.Open();
        auto& grid = Add(std::make_unique<TWFDBGrid>("WFDBGrid1"));
        grid.Left = 10;
        grid.Top = 250;
        grid.Width = 600;
        grid.Height = 200;
        grid.TabOrder = 2;
        grid.RollOver = true;
        grid.RollOverColor = 11845362;
        grid.DataSource = &query_;
        grid.Columns.Add().SetDataField("编号");
        for (const char* field : {"题目", "答案"}) {
            TWFDBGridColumn& column = grid.Columns.Add();
            column.SetDataField(field);
            column.LinkField = field == std::string("题目") ? "编号" : "答案";
            column.OnClick = [this](TWFDBGridColumn& sender, const std::string& value) {
                result_->Caption = sender.DataField() + " " + value;
            };
        }
    }

    exam::db::Database db_;
    exam::db::Query query_;
    TWFLabel* result_ = nullptr;
};

const bool registered =
    forms_testserver::RegisterTestPage("grid", [] { return std::make_unique<GridPage>(); });

}  // namespace
