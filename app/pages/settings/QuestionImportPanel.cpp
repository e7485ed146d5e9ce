#include "app/pages/settings/QuestionImportPanel.h"

#include "app/PageControls.h"
#include "app/PageDownloads.h"
#include "app/PageUpload.h"
#include "app/TWFUserSession.h"
#include "app/exam/QuestionImport.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/forms/controls/TWFText.h"

namespace exam {

using namespace web::forms;

namespace {

constexpr const char* kWorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

TWFLink* panelLink(TWFContainer& parent, const char* name, int left, int top, const char* caption) {
    TWFLink* link = PlaceControl<TWFLink>(parent, name, left, top);
    link->Caption = caption;
    return link;
}

}  // namespace

QuestionImportPanel::QuestionImportPanel(TWFAppForm& page, ExamKey exam, Stored stored)
    : page_(page), exam_(std::move(exam)), stored_(std::move(stored)) {
    WFRegion14 = PlaceControl<TWFRegion>(page, "WFRegion14", 168, 184, 650, 369);
    WFRegion14->Visible = false;
    WFRegion14->Anchors = TWFAnchors{false, true, false, false};
    WFRegion14->BorderOptions.Color = 8495039;
    WFRegion14->Color = 15595518;

    WFLabel26 = PlaceControl<TWFLabel>(*WFRegion14, "WFLabel26", 8, 8);
    WFLabel26->Caption = "批量导入试题";
    WFLabel26->Font.FontName = "黑体";
    WFLabel26->Font.Size = 12;
    WFLink13 = panelLink(*WFRegion14, "WFLink13", 584, 11, "【关闭】");
    WFLink13->Font.Size = 9;
    WFLink13->OnClick = [this](TWFControl& sender) { WFLink13Click(sender); };
    TWFRegion* bar = PlaceControl<TWFRegion>(*WFRegion14, "WFRegion15", 5, 32, 640, 3);
    bar->Color = 8495039;
    bar->BorderOptions.Style = TWFBorderStyle::cbsNone;

    WFText2 = PlaceControl<TWFText>(*WFRegion14, "WFText2", 8, 44, 633, 80);
    WFText2->Font.Size = 9;
    WFText2->Lines = {"第一行为列名：题型、题目、候选项、答案、分数。",
                      "题型为单选题、多选题或判断题；候选项每行一项（或用A至F列各放一项），最多6项；",
                      "答案为字母，如A或ACD；分数为数字。文件为.xlsx或.csv（UTF-8或GB18030编码），",
                      "最大5 MiB、5000行。先检查整个文件，任何一行有错误则不保存任何试题。"};

    WFUpload1 = PlaceControl<FileUpload>(*WFRegion14, "WFUpload1", 8, 130, 440, 25);
    WFUpload1->Accept = ".xlsx,.csv";
    WFUpload1->OnUpload = [this](TWFControl& sender) { WFUpload1Upload(sender); };
    WFLink14 = panelLink(*WFRegion14, "WFLink14", 456, 134, "【Excel模板】");
    WFLink14->OnClick = [this](TWFControl& sender) { WFLink14Click(sender); };
    WFLink15 = panelLink(*WFRegion14, "WFLink15", 552, 134, "【CSV模板】");
    WFLink15->OnClick = [this](TWFControl& sender) { WFLink15Click(sender); };

    WFLabel27 = PlaceControl<TWFLabel>(*WFRegion14, "WFLabel27", 8, 166);
    WFMemo4 = PlaceControl<TWFMemo>(*WFRegion14, "WFMemo4", 8, 186, 633, 170);
    WFMemo4->Editable = false;
}

void QuestionImportPanel::Show() {
    WFLabel27->Caption.clear();
    WFMemo4->Lines.Clear();
    WFRegion14->Visible = true;
}

void QuestionImportPanel::WFUpload1Upload(TWFControl&) {
    WFMemo4->Lines.Clear();
    std::optional<FileUpload::Posted> posted = WFUpload1->PostedFile(kMaxImportBytes);
    if (!posted) {
        WFLabel27->Caption = "导入失败：没有收到文件";
        return;
    }
    const ImportCheck check = CheckQuestionFile(posted->fileName, posted->content);
    if (!check.passed()) {
        WFLabel27->Caption = "导入失败，没有保存任何试题：";
        WFMemo4->Lines = ImportReport(check);
        return;
    }
    StoreQuestions(UserSession().ADOConnection1, exam_(), check.questions);
    WFLabel27->Caption = "已导入" + std::to_string(check.questions.size()) + "道试题。";
    WFRegion14->Visible = false;
    stored_(check.questions.size());
}

void QuestionImportPanel::WFLink13Click(TWFControl&) {
    WFRegion14->Visible = false;
}

void QuestionImportPanel::WFLink14Click(TWFControl&) {
    OfferDownload(page_, "XLS", {kWorkbookType, "试题导入模板.xlsx"},
                  [](const std::string& path) { WriteQuestionTemplateWorkbook(path); });
}

void QuestionImportPanel::WFLink15Click(TWFControl&) {
    OfferDownload(page_, "CSV", {"text/csv; charset=utf-8", "试题导入模板.csv"}, QuestionTemplateCsv());
}

}  // namespace exam
