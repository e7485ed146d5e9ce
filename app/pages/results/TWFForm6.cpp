#include "app/pages/results/TWFForm6.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/PageControls.h"
#include "app/PageDownloads.h"
#include "app/PageFrames.h"
#include "app/PageQueries.h"
#include "app/TWFUserSession.h"
#include "app/db/Transaction.h"
#include "app/exam/Results.h"
#include "app/pages/examlist/TWFForm3.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFComboBox.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"

namespace exam {

using namespace web::forms;

namespace {

constexpr TColor kLinkColor{detail::bgr(139, 69, 19)};            // saddle brown
constexpr TColor kConfirmBackground{16318193};                    // #F1FEF8
constexpr TColor kDetailsBackground{detail::bgr(250, 235, 215)};  // antique white
constexpr TColor kDetailsBorder{detail::bgr(240, 128, 128)};      // light coral
constexpr TColor kWrongAnswer{8366590};                           // #FEA97F

constexpr std::string_view kAllTags = "全部成绩";
constexpr const char* kWorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
constexpr std::string_view kNoResults = "尚无人参加该项考试！";
constexpr std::string_view kStatisticsHint = " [ 提示：单击学生姓名查看答题详情；点击成绩删除该成绩 ]";

constexpr std::string_view kTagsStatement = "select DISTINCT 考试标识 from cj where testid=?";
constexpr std::string_view kAllResults = "select * from cj where testid=?  ORDER BY 成绩  DESC";
constexpr std::string_view kUntaggedResults =
    "select * from cj where testid=? and 考试标识 is null  ORDER BY 成绩  DESC";
constexpr std::string_view kTaggedResults =
    "select * from cj where testid=? and 考试标识=?  ORDER BY 成绩  DESC";
constexpr std::string_view kQuestions = "select id,题目,候选项,答案 from tm where testid=?";
constexpr std::string_view kDeleteExamResults = "delete from cj where testid=?";
constexpr std::string_view kDeleteExamAnswers = "delete from dtxb where testid=?";
constexpr std::string_view kDeleteCandidateResults = "delete from cj where testid=? and 姓名=?";
constexpr std::string_view kDeleteCandidateAnswers = "delete from dtxb where testid=? and xm=?";

constexpr std::array<std::string_view, 5> kResultTitles{"姓名", "考试标识", "成绩", "提交时间", "IP地址"};
constexpr int kQuestionColumn = 5;
// Rows of the matrix above the candidates: titles, correct answers, rates.
constexpr int kMatrixHeaderRows = 3;
constexpr int kHideAnswers = 0;

// The exam the session works on, as the number the statements take; an id that is no
// number matches no exam.
std::int64_t examId() {
    const std::string& text = UserSession().ExamId;
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    return error == std::errc() && end == text.data() + text.size() ? id : 0;
}

// A cell showing a text a candidate chose (a name, an answer, or what the hand-in recorded
// about them): written as text, so markup and entities in it show as typed.
void setCandidateText(TWFGridCell& cell, std::string text) {
    cell.Text = std::move(text);
    cell.RawText = false;
}

TWFLabel& addLabel(TWFContainer& parent, std::string name, std::string caption, int left, int top) {
    auto& label = parent.Add(std::make_unique<TWFLabel>(std::move(name)));
    label.Caption = std::move(caption);
    label.Left = left;
    label.Top = top;
    return label;
}

TWFLink& addLink(TWFContainer& parent, std::string name, std::string caption, int left, int top, int width) {
    auto& link = parent.Add(std::make_unique<TWFLink>(std::move(name)));
    link.Caption = std::move(caption);
    link.Left = left;
    link.Top = top;
    link.Width = width;
    return link;
}

template <typename Handler>
TNotifyEvent bindHandler(TWFForm6* page, Handler handler) {
    return [page, handler](TWFControl& sender) { (page->*handler)(sender); };
}

}  // namespace

TWFForm6::TWFForm6() : TWFAppForm("WFForm6", "TWFForm6", 1000, 608) {
    ApplyExamPageSettings(*this, "考试成绩及统计---栎川考试系统");
    PlaceHeaderFrame(*this, 10, 0, true);
    buildResultsRegion();
    buildDeleteRegion();
    buildDetailsRegion();
    PlaceFooterFrame(*this, 11, 541, 60);
    WFAppFormCreate();
}

void TWFForm6::buildResultsRegion() {
    WFRegion1 = &AddMainRegion(*this, 477, true);

    WFLabel1 = &addLabel(*WFRegion1, "WFLabel1", "统计详情", 16, 16);
    WFLabel1->Font.FontName = "黑体";

    WFLink1 = &addLink(*WFRegion1, "WFLink1", "【刷新信息】", 687, 8, 80);
    WFLink3 = &addLink(*WFRegion1, "WFLink3", "【删除成绩信息】", 775, 8, 112);
    WFLink2 = &addLink(*WFRegion1, "WFLink2", "【返回】", 895, 8, 56);
    for (TWFLink* link : {WFLink1, WFLink3, WFLink2}) link->Font.Color = kLinkColor;
    WFLink1->OnClick = bindHandler(this, &TWFForm6::WFLink1Click);
    // Every result of the exam goes at once, so the browser asks first.
    WFLink3->Confirmation = "确定要删除该考试的全部成绩信息吗？删除后无法恢复！";
    WFLink3->OnClick = bindHandler(this, &TWFForm6::WFLink3Click);
    WFLink2->OnClick = bindHandler(this, &TWFForm6::WFLink2Click);
    WFLink8 = &addLink(*WFRegion1, "WFLink8", "【导出Excel】", 511, 8, 88);
    WFLink9 = &addLink(*WFRegion1, "WFLink9", "【导出CSV】", 603, 8, 80);
    for (TWFLink* link : {WFLink8, WFLink9}) link->Font.Color = kLinkColor;
    WFLink8->OnClick = bindHandler(this, &TWFForm6::WFLink8Click);
    WFLink9->OnClick = bindHandler(this, &TWFForm6::WFLink9Click);

    WFRadioGroup1 = PlaceControl<TWFRadioGroup>(*WFRegion1, "WFRadioGroup1", 17, 41, 217, 21);
    WFRadioGroup1->Layout = TWFGroupLayout::glHorizontal;
    WFRadioGroup1->Items = {"隐藏答题情况", "显示答题情况"};
    WFRadioGroup1->ItemIndex = kHideAnswers;
    WFRadioGroup1->OnClick = bindHandler(this, &TWFForm6::WFRadioGroup1Click);

    WFLabel8 = &addLabel(*WFRegion1, "WFLabel8", "显示范围", 249, 41);
    WFComboBox1 = PlaceControl<TWFComboBox>(*WFRegion1, "WFComboBox1", 313, 38, 168);
    WFComboBox1->OnChange = bindHandler(this, &TWFForm6::WFComboBox1Change);

    WFLabel5 = &addLabel(*WFRegion1, "WFLabel5", "", 16, 72);

    WFGrid1 = PlaceControl<TWFGrid>(*WFRegion1, "WFGrid1", 16, 96, 945, 41);
    WFGrid1->BorderSize = 1;
    WFGrid1->CellPadding = 0;
    WFGrid1->Lines = TWFTableLines::tlAll;
    WFGrid1->OnCellClick = [this](TWFControl& sender, int row, int column) {
        WFGrid1CellClick(sender, row, column);
    };
}

void TWFForm6::buildDeleteRegion() {
    WFRegion3 = PlaceControl<TWFRegion>(*WFRegion1, "WFRegion3", 296, 144, 369, 97);
    WFRegion3->Visible = false;
    WFRegion3->Color = kConfirmBackground;
    WFRegion3->BorderOptions.Color = clWebMEDIUMAQUAMARINE;
    WFRegion3->BorderOptions.Style = TWFBorderStyle::cbsSolid;
    WFRegion3->BorderOptions.NumericWidth = 1;

    WFLabel4 = &addLabel(*WFRegion3, "WFLabel4", "提示：", 16, 12);
    WFLabel3 = &addLabel(*WFRegion3, "WFLabel3", "", 24, 36);
    // Holds the candidate's name while the panel is open; never shown.
    WFLabel2 = &addLabel(*WFRegion3, "WFLabel2", "", 280, 12);
    WFLabel2->Visible = false;
    WFLink4 = &addLink(*WFRegion3, "WFLink4", "【删除】", 104, 68, 56);
    WFLink5 = &addLink(*WFRegion3, "WFLink5", "【取消】", 208, 68, 56);
    WFLink4->OnClick = bindHandler(this, &TWFForm6::WFLink4Click);
    WFLink5->OnClick = bindHandler(this, &TWFForm6::WFLink5Click);
}

void TWFForm6::buildDetailsRegion() {
    WFRegion4 = PlaceControl<TWFRegion>(*WFRegion1, "WFRegion4", 90, 128, 800, 317);
    WFRegion4->Visible = false;
    WFRegion4->Color = kDetailsBackground;
    WFRegion4->BorderOptions.Color = kDetailsBorder;
    WFRegion4->BorderOptions.Style = TWFBorderStyle::cbsSolid;
    WFRegion4->BorderOptions.NumericWidth = 1;

    WFLabel6 = &addLabel(*WFRegion4, "WFLabel6", "答题详情", 24, 16);
    WFCheckBox2 = PlaceControl<TWFCheckBox>(*WFRegion4, "WFCheckBox2", 160, 14, 140);
    WFCheckBox2->Caption = "仅显示错误习题";
    WFCheckBox2->Checked = true;
    WFCheckBox2->OnClick = bindHandler(this, &TWFForm6::WFCheckBox2Click);
    hang = &addLabel(*WFRegion4, "hang", "", 400, 16);

    WFMemo1 = PlaceControl<TWFMemo>(*WFRegion4, "WFMemo1", 24, 40, 745, 253);

    WFLink6 = &addLink(*WFRegion4, "WFLink6", "【关闭】", 713, 14, 56);
    WFLink6->OnClick = bindHandler(this, &TWFForm6::WFLink6Click);
    // Uploading the details to the vendor is not offered; the link stays hidden.
    WFLink7 = &addLink(*WFRegion4, "WFLink7", "【上传答题详情到栎川云供查询、分享】", 440, 296, 300);
    WFLink7->Visible = false;
}

// --- loading and refreshing ---------------------------------------------------------------

void TWFForm6::WFAppFormCreate() {
    db::Query& tem = UserSession().tem;
    tem.Close();
    tem.SQL().SetText(kTagsStatement);
    tem.Params({examId()});
    tem.Open();
    std::vector<std::string> items{std::string(kAllTags)};
    for (tem.First(); !tem.Eof(); tem.Next()) items.push_back(tem.Fields(0).AsString());
    WFComboBox1->SetItems(std::move(items));
    WFComboBox1->SetItemIndex(0);
    WFLink1Click(*WFLink1);
}

void TWFForm6::WFLink1Click(TWFControl&) {
    results_ = readResults();
    questions_.clear();
    if (results_.empty()) {
        WFLabel5->Caption = std::string(kNoResults);
        WFGrid1->Visible = false;
        return;
    }
    showStatistics(results_);
    WFGrid1->Visible = true;
    if (WFRadioGroup1->ItemIndex == kHideAnswers) {
        fillResultList();
    } else {
        fillAnswerMatrix();
    }
}

void TWFForm6::WFRadioGroup1Click(TWFControl& sender) {
    WFLink1Click(sender);
}

void TWFForm6::WFComboBox1Change(TWFControl& sender) {
    WFLink1Click(sender);
}

std::vector<TWFForm6::ResultRow> TWFForm6::readResults() {
    db::Query& tem = UserSession().tem;
    tem.Close();
    const int selected = WFComboBox1->ItemIndex();
    if (selected <= 0) {
        tem.SQL().SetText(kAllResults);
        tem.Params({examId()});
    } else if (const std::string& tag = WFComboBox1->Items()[static_cast<std::size_t>(selected)];
               tag.empty()) {
        // The empty item stands for results without any tag.
        tem.SQL().SetText(kUntaggedResults);
        tem.Params({examId()});
    } else {
        tem.SQL().SetText(kTaggedResults);
        tem.Params({examId(), tag});
    }
    tem.Open();
    std::vector<ResultRow> results;
    for (tem.First(); !tem.Eof(); tem.Next()) {
        results.push_back(ResultRow{tem.FieldByName("姓名").AsString(),
                                    tem.FieldByName("考试标识").AsString(), tem.FieldByName("成绩").AsFloat(),
                                    tem.FieldByName("成绩").AsString(),
                                    tem.FieldByName("提交时间").AsString(), tem.FieldByName("ip").AsString(),
                                    tem.FieldByName("自动交卷").AsInteger() != 0});
    }
    return results;
}

void TWFForm6::showStatistics(const std::vector<ResultRow>& results) {
    std::vector<double> scores;
    for (const ResultRow& result : results) scores.push_back(result.score);
    WFLabel5->Caption = summaryText(summarize(scores)) + std::string(kStatisticsHint);
}

// Empties the grid to the given size: no cell of an earlier refresh survives.
void TWFForm6::clearGrid(int rows, int columns) {
    WFGrid1->SetRowCount(0);
    WFGrid1->SetColumnCount(columns);
    WFGrid1->SetRowCount(rows);
}

void TWFForm6::writeResultCells(int row, const ResultRow& result, bool nameClickable) {
    TWFGridCell& name = WFGrid1->Cell(row, 0);
    setCandidateText(name, result.name);
    name.Clickable = nameClickable;
    if (nameClickable) name.Hint = result.ip;
    // The tag is the administrator's own text and keeps its markup.
    WFGrid1->Cell(row, 1).Text = result.tag;
    TWFGridCell& score = WFGrid1->Cell(row, 2);
    score.Text = result.scoreText;
    score.Clickable = true;
    setCandidateText(WFGrid1->Cell(row, 3), SubmittedText(result.submitted, result.automatic));
    setCandidateText(WFGrid1->Cell(row, 4), result.ip);
}

void TWFForm6::fillResultList() {
    firstResultRow_ = 1;
    const int rows = static_cast<int>(results_.size()) + 1;
    clearGrid(rows, static_cast<int>(kResultTitles.size()));
    for (std::size_t column = 0; column < kResultTitles.size(); ++column) {
        WFGrid1->Cell(0, static_cast<int>(column)).Text = std::string(kResultTitles[column]);
    }
    for (std::size_t i = 0; i < results_.size(); ++i)
        writeResultCells(static_cast<int>(i) + 1, results_[i], false);
}

void TWFForm6::fillAnswerMatrix() {
    firstResultRow_ = kMatrixHeaderRows;
    const int candidates = static_cast<int>(results_.size());
    clearGrid(candidates + kMatrixHeaderRows, static_cast<int>(kResultTitles.size()));
    for (std::size_t column = 0; column < kResultTitles.size(); ++column) {
        WFGrid1->Cell(0, static_cast<int>(column)).Text = std::string(kResultTitles[column]);
    }
    WFGrid1->Cell(1, 0).Text = "标准答案";
    WFGrid1->Cell(2, 0).Text = "正确率[%]";
    for (int row = 1; row <= 2; ++row) {
        WFGrid1->Cell(row, 1).Text = "";
        for (int column = 2; column < kQuestionColumn; ++column) WFGrid1->Cell(row, column).Text = "---";
    }
    for (int i = 0; i < candidates; ++i) {
        writeResultCells(i + kMatrixHeaderRows, results_[static_cast<std::size_t>(i)], true);
    }

    questions_ = readQuestions();
    const StoredAnswers stored = StoredAnswers::read(UserSession().ADOConnection1, examId());
    WFGrid1->SetColumnCount(kQuestionColumn + static_cast<int>(questions_.size()));
    for (std::size_t q = 0; q < questions_.size(); ++q) {
        QuestionColumn& question = questions_[q];
        const int column = kQuestionColumn + static_cast<int>(q);
        // Question texts and answers are the administrator's and keep their markup.
        TWFGridCell& title = WFGrid1->Cell(0, column);
        title.Text = question.id;
        title.Hint = question.tooltip;
        WFGrid1->Cell(1, column).Text = question.correctAnswer;
        for (int i = 0; i < candidates; ++i) {
            std::string answer = stored.find(question.key, results_[static_cast<std::size_t>(i)].name);
            TWFGridCell& cell = WFGrid1->Cell(i + kMatrixHeaderRows, column);
            setCandidateText(cell, answer);
            if (answer != question.correctAnswer) cell.BGColor = kWrongAnswer;
            question.answers.push_back(std::move(answer));
        }
        WFGrid1->Cell(2, column).Text = correctRate(question.correctAnswer, question.answers);
    }
}

std::vector<TWFForm6::QuestionColumn> TWFForm6::readQuestions() {
    db::Query& tem2 = UserSession().tem2;
    tem2.Close();
    tem2.SQL().SetText(kQuestions);
    tem2.Params({examId()});
    tem2.Open();
    std::vector<QuestionColumn> questions;
    for (tem2.First(); !tem2.Eof(); tem2.Next()) {
        questions.push_back(
            QuestionColumn{tem2.FieldByName("id").AsInteger(),
                           tem2.FieldByName("id").AsString(),
                           tem2.FieldByName("题目").AsString() + tem2.FieldByName("候选项").AsString(),
                           tem2.FieldByName("答案").AsString(),
                           {}});
    }
    return questions;
}

// --- clicks in the grid and the panels ----------------------------------------------------

void TWFForm6::WFGrid1CellClick(TWFControl&, int row, int column) {
    // Only what the page offered as a link is acted on.
    if (row < 0 || row >= WFGrid1->RowCount() || column < 0 || column >= WFGrid1->ColumnCount()) return;
    if (!WFGrid1->CellExists(row, column) || !WFGrid1->Cell(row, column).Clickable) return;
    const int resultRow = row - firstResultRow_;
    if (resultRow < 0 || resultRow >= static_cast<int>(results_.size())) return;
    if (column == 0) {
        hang->Caption = std::to_string(row);
        WFRegion4->Visible = true;
        WFCheckBox2Click(*WFCheckBox2);
    } else if (column == 2) {
        const std::string& name = results_[static_cast<std::size_t>(resultRow)].name;
        WFLabel2->Caption = name;
        // The label escapes the markup.
        WFLabel3->Caption = "您确实要删除" + name + "的测试成绩吗？";
        WFRegion3->Visible = true;
    }
}

void TWFForm6::WFCheckBox2Click(TWFControl&) {
    WFMemo1->Lines.Clear();
    int row = -1;
    std::from_chars(hang->Caption.data(), hang->Caption.data() + hang->Caption.size(), row);
    const int candidate = row - firstResultRow_;
    if (candidate < 0 || candidate >= static_cast<int>(results_.size())) return;
    const bool onlyWrong = WFCheckBox2->Checked;
    for (const QuestionColumn& question : questions_) {
        const std::string& answer = question.answers[static_cast<std::size_t>(candidate)];
        if (onlyWrong && answer == question.correctAnswer) continue;
        WFMemo1->Lines.Add("题目编号：" + question.id);
        WFMemo1->Lines.Add(question.tooltip);
        WFMemo1->Lines.Add("标准答案：" + question.correctAnswer + "    作答选项:" + answer);
        WFMemo1->Lines.Add("----------------------------");
    }
}

void TWFForm6::WFLink4Click(TWFControl& sender) {
    const std::string name = WFLabel2->Caption;
    db::Transaction transaction(UserSession().ADOConnection1);
    ExecuteStatement(UserSession().tem, kDeleteCandidateResults, {examId(), name});
    ExecuteStatement(UserSession().tem, kDeleteCandidateAnswers, {examId(), name});
    transaction.Commit();
    WFLink1Click(sender);
    WFRegion3->Visible = false;
}

void TWFForm6::WFLink5Click(TWFControl&) {
    WFRegion3->Visible = false;
}

void TWFForm6::WFLink3Click(TWFControl& sender) {
    db::Transaction transaction(UserSession().ADOConnection1);
    ExecuteStatement(UserSession().tem, kDeleteExamResults, {examId()});
    ExecuteStatement(UserSession().tem, kDeleteExamAnswers, {examId()});
    transaction.Commit();
    WFLink1Click(sender);
}

void TWFForm6::WFLink6Click(TWFControl&) {
    WFRegion4->Visible = false;
}

ResultsFilter TWFForm6::exportFilter() const {
    const int selected = WFComboBox1->ItemIndex();
    if (selected <= 0) return {};
    const std::string& tag = WFComboBox1->Items()[static_cast<std::size_t>(selected)];
    if (tag.empty()) return {ResultsFilter::Kind::Untagged, {}};
    return {ResultsFilter::Kind::Tagged, tag};
}

void TWFForm6::WFLink8Click(TWFControl&) {
    const ResultsTable table = ReadResultsTable(UserSession().ADOConnection1, examId(), exportFilter());
    const std::string name = ExportFileName(table.examName, FileNameStamp().substr(0, 8), "xlsx");
    OfferDownload(*this, "XLS", {kWorkbookType, name},
                  [&table](const std::string& path) { WriteResultsWorkbook(table, path); });
}

void TWFForm6::WFLink9Click(TWFControl&) {
    const ResultsTable table = ReadResultsTable(UserSession().ADOConnection1, examId(), exportFilter());
    const std::string name = ExportFileName(table.examName, FileNameStamp().substr(0, 8), "csv");
    OfferDownload(*this, "CSV", {"text/csv; charset=utf-8", name}, ResultsCsv(table));
}

void TWFForm6::WFLink2Click(TWFControl&) {
    UserSession().MoveToPage<TWFForm3>();
}

}  // namespace exam
