#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/exam/ResultsExport.h"
#include "web/forms/TWFAppForm.h"

namespace web::forms {
class TWFCheckBox;
class TWFComboBox;
class TWFGrid;
class TWFLabel;
class TWFLink;
class TWFMemo;
class TWFRadioGroup;
class TWFRegion;
}  // namespace web::forms

namespace exam {

// The results of one exam (the session's ExamId): one line per handed-in paper, the
// statistics line, a filter by exam tag, and on request the matrix of every candidate's
// answer to every question with the correct answers and the share of right answers.
// A click on a name shows that candidate's answers, a click on a score offers to delete
// that candidate's results.
class TWFForm6 : public web::forms::TWFAppForm {
public:
    TWFForm6();

    // Fills the tag filter with the tags found in the results, then refreshes.
    void WFAppFormCreate();
    // Rebuilds the statistics line and the grid from the database.
    void WFLink1Click(web::forms::TWFControl& sender);
    void WFRadioGroup1Click(web::forms::TWFControl& sender);
    void WFComboBox1Change(web::forms::TWFControl& sender);
    // Column 0: the candidate's answer details; column 2: the delete confirmation.
    void WFGrid1CellClick(web::forms::TWFControl& sender, int row, int column);
    // Rebuilds the answer-detail text of the row held by `hang`.
    void WFCheckBox2Click(web::forms::TWFControl& sender);
    // "【删除】": deletes every result and answer of the candidate named in WFLabel2.
    void WFLink4Click(web::forms::TWFControl& sender);
    // "【取消】"
    void WFLink5Click(web::forms::TWFControl& sender);
    // "【删除成绩信息】": deletes all results and answers of the exam.
    void WFLink3Click(web::forms::TWFControl& sender);
    // "【关闭】"
    void WFLink6Click(web::forms::TWFControl& sender);
    // "【导出Excel】", "【导出CSV】": the results shown, for the browser to save.
    void WFLink8Click(web::forms::TWFControl& sender);
    void WFLink9Click(web::forms::TWFControl& sender);
    // "【返回】": back to the exam list.
    void WFLink2Click(web::forms::TWFControl& sender);

    web::forms::TWFRegion* WFRegion1;
    web::forms::TWFLabel* WFLabel1;
    web::forms::TWFLink* WFLink1;
    web::forms::TWFLink* WFLink3;
    web::forms::TWFLink* WFLink2;
    web::forms::TWFLink* WFLink8;
    web::forms::TWFLink* WFLink9;
    web::forms::TWFRadioGroup* WFRadioGroup1;
    web::forms::TWFLabel* WFLabel8;
    web::forms::TWFComboBox* WFComboBox1;
    web::forms::TWFLabel* WFLabel5;
    web::forms::TWFGrid* WFGrid1;

    web::forms::TWFRegion* WFRegion3;
    web::forms::TWFLabel* WFLabel4;
    web::forms::TWFLabel* WFLabel3;
    web::forms::TWFLabel* WFLabel2;
    web::forms::TWFLink* WFLink4;
    web::forms::TWFLink* WFLink5;

    web::forms::TWFRegion* WFRegion4;
    web::forms::TWFLabel* WFLabel6;
    web::forms::TWFCheckBox* WFCheckBox2;
    web::forms::TWFLabel* hang;
    web::forms::TWFMemo* WFMemo1;
    web::forms::TWFLink* WFLink6;
    web::forms::TWFLink* WFLink7;

private:
    // One handed-in paper as the result query gave it.
    struct ResultRow {
        std::string name;
        std::string tag;
        double score = 0;
        std::string scoreText;
        std::string submitted;
        std::string ip;
        bool automatic = false;
    };
    // One question column of the matrix, with every result row's answer.
    struct QuestionColumn {
        std::int64_t key = 0;
        std::string id;
        std::string tooltip;
        std::string correctAnswer;
        std::vector<std::string> answers;
    };

    void buildResultsRegion();
    void buildDeleteRegion();
    void buildDetailsRegion();

    std::vector<ResultRow> readResults();
    // The exports' counterpart of the tag filter.
    ResultsFilter exportFilter() const;
    std::vector<QuestionColumn> readQuestions();
    void showStatistics(const std::vector<ResultRow>& results);
    void clearGrid(int rows, int columns);
    void fillResultList();
    void fillAnswerMatrix();
    void writeResultCells(int row, const ResultRow& result, bool nameClickable);

    // What the grid shows since the last refresh, in the texts the database gave; the
    // grid's cells hold them escaped for the page.
    std::vector<ResultRow> results_;
    std::vector<QuestionColumn> questions_;
    // The grid row of the first result: 1 in the list, 3 in the matrix.
    int firstResultRow_ = 1;
};

}  // namespace exam
