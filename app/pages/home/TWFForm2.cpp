#include "app/pages/home/TWFForm2.h"

#include "app/PageControls.h"
#include "app/PageFrames.h"
#include "app/PageQueries.h"
#include "app/TWFUserSession.h"
#include "app/pages/exam/TWFForm5.h"
#include "app/pages/login/TWFForm1.h"
#include "web/server/TWFApplication.h"

namespace exam {

using namespace web::forms;

TWFForm2::TWFForm2() : TWFAppForm("WFForm2", "TWFForm2", 1000, 683) {
    ApplyExamPageSettings(*this, "首页---栎川考试系统");
    PlaceHeaderFrame(*this, 10, 0);

    WFRegion1 = &AddMainRegion(*this, 549);

    WFLabel3 = PlaceControl<TWFLabel>(*WFRegion1, "WFLabel3", 8, 16);
    WFLabel3->Font.Size = 10;
    WFLabel3->Caption = "请选择一个考试项目";

    WFLink1 = PlaceControl<TWFLink>(*WFRegion1, "WFLink1", 880, 16, 73, 17);
    WFLink1->Font.Size = 9;
    WFLink1->Font.Style.insert(TFontStyle::fsUnderline);
    WFLink1->Caption = "【系统设置】";
    WFLink1->DoSubmitValidation = false;
    WFLink1->OnClick = [this](TWFControl& sender) { WFLink1Click(sender); };

    WFGrid1 = PlaceControl<TWFGrid>(*WFRegion1, "WFGrid1", 56, 64, 897);
    // The table grows with its rows; a small design height keeps a short list's rows low.
    WFGrid1->Height = 41;
    WFGrid1->SetColumnCount(2);
    WFGrid1->BorderSize = 1;
    WFGrid1->Lines = TWFTableLines::tlAll;
    WFGrid1->CellPadding = 0;
    WFGrid1->CellSpacing = 0;
    WFGrid1->Font.Size = 10;
    WFGrid1->ShowEmptyCells = true;
    WFGrid1->UseSize = true;
    WFGrid1->OnCellClick = [this](TWFControl& sender, int row, int column) {
        WFGrid1CellClick(sender, row, column);
    };

    PlaceFooterFrame(*this, 8, 612, 60);
    WFAppFormCreate();
}

// Lists the exams switched on for the home page, in the order the database gives them.
void TWFForm2::WFAppFormCreate() {
    db::Query& tem = UserSession().tem;
    OpenStatement(tem, "select id,考试名称 from test where set2=0", {});
    WFGrid1->SetRowCount(tem.RecordCount() + 1);
    WFGrid1->Cell(0, 0).Text = "考试编号";
    WFGrid1->Cell(0, 0).SetWidth("80");
    WFGrid1->Cell(0, 1).Text = "考试名称";
    int row = 1;
    for (tem.First(); !tem.Eof(); tem.Next(), ++row) {
        WFGrid1->Cell(row, 0).Text = tem.FieldByName("id").AsString();
        TWFGridCell& name = WFGrid1->Cell(row, 1);
        name.Text = tem.FieldByName("考试名称").AsString();
        name.Clickable = true;
    }
}

// Opens the clicked exam, provided it has a question; the exam becomes the session's
// exam either way.
void TWFForm2::WFGrid1CellClick(TWFControl&, int row, int) {
    TWFUserSession& session = UserSession();
    session.ExamId = WFGrid1->Cell(row, 0).Text;
    db::Query& tem2 = session.tem2;
    OpenStatement(tem2, "select 1 from tm where testid=?", {session.ExamId});
    if (tem2.IsEmpty()) {
        web::CurrentSession()->ShowMessage(
            "该考试项目尚未设置习题，请选择其它考试项目或设置习题后再进行测试！");
        return;
    }
    session.MoveToPage<TWFForm5>();
}

void TWFForm2::WFLink1Click(TWFControl&) {
    UserSession().MoveToPage<TWFForm1>();
}

}  // namespace exam
