#include "app/pages/examlist/TWFForm3.h"

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "app/PageControls.h"
#include "app/PageDownloads.h"
#include "app/PageFrames.h"
#include "app/PageQueries.h"
#include "app/TWFUserSession.h"
#include "app/backup/DatabaseBackup.h"
#include "app/db/Transaction.h"
#include "app/exam/QuestionBank.h"
#include "app/library/LibrarySettings.h"
#include "app/library/SharedExam.h"
#include "app/pages/home/TWFForm2.h"
#include "app/pages/results/TWFForm6.h"
#include "app/pages/settings/TWFForm4.h"
#include "web/server/TWFApplication.h"
#include "web/server/Text.h"

namespace exam {

using namespace web::forms;

namespace {

// The two input dialogs share their look: a brown line border on a pale background.
TWFRegion* dialogRegion(TWFContainer& page, const char* name, int left, int top, int width, int height) {
    TWFRegion* region = PlaceControl<TWFRegion>(page, name, left, top, width, height);
    region->Visible = false;
    region->Anchors = TWFAnchors{false, true, false, false};
    region->BorderOptions.Color = 8495039;
    region->Color = 15595518;
    return region;
}

TWFLabel* dialogHeading(TWFContainer& dialog, const char* name, const char* caption) {
    TWFLabel* heading = PlaceControl<TWFLabel>(dialog, name, 24, 8);
    heading->Caption = caption;
    heading->Font.FontName = "黑体";
    heading->Font.Size = 12;
    return heading;
}

// The thin coloured bar under a dialog's heading.
TWFRegion* headingLine(TWFContainer& dialog, const char* name, int width) {
    TWFRegion* line = PlaceControl<TWFRegion>(dialog, name, 5, 32, width, 3);
    line->Color = 8495039;
    line->BorderOptions.Style = TWFBorderStyle::cbsNone;
    return line;
}

TWFLink* link(TWFContainer& parent, const char* name, int left, int top, const char* caption, int fontSize) {
    TWFLink* created = PlaceControl<TWFLink>(parent, name, left, top);
    created->Caption = caption;
    created->Font.Size = fontSize;
    return created;
}

}  // namespace

TWFForm3::TWFForm3() : TWFAppForm("WFForm3", "TWFForm3", 1000, 653) {
    ApplyExamPageSettings(*this, "考试列表---栎川考试系统");
    buildMainArea();
    buildCreateDialog();
    buildPasswordDialog();
    buildDeleteConfirmation();
    buildLibraryRegion();
    PlaceHeaderFrame(*this, 10, 0);
    PlaceFooterFrame(*this, 8, 582, 70);
    WFAppFormCreate();
}

void TWFForm3::buildMainArea() {
    WFRegion2 = PlaceControl<TWFRegion>(*this, "WFRegion2", 10, 60, 980, 520);
    WFRegion2->Anchors = TWFAnchors{false, true, false, true};
    WFRegion2->BorderOptions.Color = clWebTAN;
    WFRegion2->Color = clWebWHITE;

    WFLink2 = link(*WFRegion2, "WFLink2", 664, 16, "【新建考试】", 10);
    WFLink2->OnClick = [this](TWFControl& sender) { WFLink2Click(sender); };
    WFLink1 = link(*WFRegion2, "WFLink1", 752, 16, " 【修改密码】", 10);
    WFLink1->OnClick = [this](TWFControl& sender) { WFLink1Click(sender); };
    WFLink5 = link(*WFRegion2, "WFLink5", 848, 16, " 【退出设置】", 10);
    WFLink5->OnClick = [this](TWFControl& sender) { WFLink5Click(sender); };
    WFLink10 = link(*WFRegion2, "WFLink10", 576, 16, "【备份数据】", 10);
    WFLink10->OnClick = [this](TWFControl& sender) { WFLink10Click(sender); };
    // The entry to the shared-exam library shows only when this server has one; the
    // backup link then moves left to make room.
    WFLink8 = link(*WFRegion2, "WFLink8", 528, 16, "【从栎川云载入】", 10);
    WFLink8->OnClick = [this](TWFControl& sender) { WFLink8Click(sender); };
    WFLink8->Visible = library::LibraryConfigured();
    if (WFLink8->Visible) WFLink10->Left = 440;

    WFRegion3 = PlaceControl<TWFRegion>(*WFRegion2, "WFRegion3", 24, 40, 937, 457);
    WFRegion3->BorderOptions.Style = TWFBorderStyle::cbsNone;
    WFRegion3->Anchors = TWFAnchors{true, true, false, true};

    // A table only grows to its rows; a small design height keeps the rows at their
    // natural height when there are few exams.
    WFGrid1 = PlaceControl<TWFGrid>(*WFRegion3, "WFGrid1", 2, 1, 913, 21);
    WFGrid1->SetColumnCount(6);
    WFGrid1->BorderSize = 1;
    WFGrid1->Lines = TWFTableLines::tlAll;
    WFGrid1->CellPadding = 0;
    WFGrid1->CellSpacing = 0;
    WFGrid1->Font.Size = 10;
    WFGrid1->ShowEmptyCells = true;
    WFGrid1->UseSize = true;
    WFGrid1->UseFrame = false;
    WFGrid1->OnCellClick = [this](TWFControl& sender, int row, int column) {
        WFGrid1CellClick(sender, row, column);
    };
}

void TWFForm3::buildCreateDialog() {
    WFRegion4 = dialogRegion(*this, "WFRegion4", 192, 344, 620, 249);
    WFLabel1 = dialogHeading(*WFRegion4, "WFLabel1", "新建考试");
    WFLink3 = link(*WFRegion4, "WFLink3", 552, 8, "【关闭】", 9);
    WFLink3->OnClick = [this](TWFControl& sender) { WFLink3Click(sender); };
    WFRegion5 = headingLine(*WFRegion4, "WFRegion5", 610);

    WFLabel2 = PlaceControl<TWFLabel>(*WFRegion4, "WFLabel2", 24, 52);
    WFLabel2->Caption = "考试名称";
    WFEdit1 = PlaceControl<TWFEdit>(*WFRegion4, "WFEdit1", 96, 48, 513);
    WFButton1 = PlaceControl<TWFButton>(*WFRegion4, "WFButton1", 496, 80, 113, 25);
    WFButton1->Caption = "新建考试";
    WFButton1->OnClick = [this](TWFControl& sender) { WFButton1Click(sender); };

    WFText1 = PlaceControl<TWFText>(*WFRegion4, "WFText1", 56, 120, 553, 73);
    WFText1->Font.Size = 9;
    WFText1->WantReturns = true;
    WFText1->Lines = {"新建考试为默认状态：", "", "考试立即生效，考生交卷后立即显示成绩，打乱题目显示顺序",
                      "", "如需修改上述设置，请在新建考试后点击对应考试的考试设置链接进行设置"};

    WFLabel10 = PlaceControl<TWFLabel>(*WFRegion4, "WFLabel10", 24, 204);
    WFLabel10->Caption = "应用口令";
    WFEdit5 = PlaceControl<TWFEdit>(*WFRegion4, "WFEdit5", 96, 200, 105);
    WFLabel11 = PlaceControl<TWFLabel>(*WFRegion4, "WFLabel11", 216, 204);
    WFLabel11->Caption = "管理密码";
    WFEdit6 = PlaceControl<TWFEdit>(*WFRegion4, "WFEdit6", 288, 200, 105);
    WFLabel12 = PlaceControl<TWFLabel>(*WFRegion4, "WFLabel12", 24, 228);
    WFLabel12->Caption = "封闭时间[单位：天]";
    WFRadioGroup1 = PlaceControl<TWFRadioGroup>(*WFRegion4, "WFRadioGroup1", 160, 226, 300, 17);
    WFRadioGroup1->Layout = TWFGroupLayout::glHorizontal;
    WFRadioGroup1->Items = {"0", "7", "15", "30", "60", "120"};
    WFRadioGroup1->ItemIndex = 1;
    for (TWFControl* hidden : std::initializer_list<TWFControl*>{WFLabel10, WFEdit5, WFLabel11, WFEdit6,
                                                                 WFLabel12, WFRadioGroup1}) {
        hidden->Visible = false;
    }
}

void TWFForm3::buildPasswordDialog() {
    WFRegion6 = dialogRegion(*this, "WFRegion6", 272, 184, 410, 209);
    WFLabel4 = dialogHeading(*WFRegion6, "WFLabel4", "修改密码");
    WFLink4 = link(*WFRegion6, "WFLink4", 352, 8, "【关闭】", 9);
    WFLink4->OnClick = [this](TWFControl& sender) { WFLink4Click(sender); };
    WFRegion7 = headingLine(*WFRegion6, "WFRegion7", 400);

    const auto row = [this](const char* labelName, const char* caption, const char* editName, int top,
                            TWFLabel*& label, TWFEdit*& edit) {
        label = PlaceControl<TWFLabel>(*WFRegion6, labelName, 56, top);
        label->Caption = caption;
        edit = PlaceControl<TWFEdit>(*WFRegion6, editName, 136, top, 201);
        edit->PasswordPrompt = true;
    };
    row("WFLabel3", "原有密码", "WFEdit2", 50, WFLabel3, WFEdit2);
    row("WFLabel5", "新设密码", "WFEdit3", 82, WFLabel5, WFEdit3);
    row("WFLabel6", "重复密码", "WFEdit4", 114, WFLabel6, WFEdit4);

    WFButton2 = PlaceControl<TWFButton>(*WFRegion6, "WFButton2", 168, 160, 113, 33);
    WFButton2->Caption = "修改密码";
    WFButton2->OnClick = [this](TWFControl& sender) { WFButton2Click(sender); };
}

void TWFForm3::buildDeleteConfirmation() {
    WFRegion8 = PlaceControl<TWFRegion>(*this, "WFRegion8", 296, 256, 369, 97);
    WFRegion8->Visible = false;
    WFRegion8->Anchors = TWFAnchors{false, true, false, false};
    WFRegion8->BorderOptions.Color = clWebMEDIUMAQUAMARINE;
    WFRegion8->Color = 16318193;

    WFLabel9 = PlaceControl<TWFLabel>(*WFRegion8, "WFLabel9", 16, 8);
    WFLabel9->Caption = "提示：";
    WFLabel8 = PlaceControl<TWFLabel>(*WFRegion8, "WFLabel8", 8, 40, 353);
    WFLabel8->Alignment = TAlignment::taCenter;
    WFLabel8->AutoSize = false;
    WFLabel7 = PlaceControl<TWFLabel>(*WFRegion8, "WFLabel7", 16, 72);
    WFLabel7->Visible = false;
    WFLink6 = link(*WFRegion8, "WFLink6", 112, 72, "【删除】", 10);
    WFLink6->OnClick = [this](TWFControl& sender) { WFLink6Click(sender); };
    WFLink7 = link(*WFRegion8, "WFLink7", 200, 72, "【取消】", 10);
    WFLink7->OnClick = [this](TWFControl& sender) { WFLink7Click(sender); };
}

void TWFForm3::buildLibraryRegion() {
    WFRegion9 = PlaceControl<TWFRegion>(*WFRegion3, "WFRegion9", 216, 376, 500, 201);
    WFRegion9->Visible = false;
    WFRegion9->BorderOptions.Color = clWebTAN;
    WFRegion9->Color = 15595518;
    WFRegion9->ZIndex = 1000;
    WFLabel14 = dialogHeading(*WFRegion9, "WFLabel14", "从栎川云载入考试数据");
    WFLink9 = link(*WFRegion9, "WFLink9", 435, 8, "【关闭】", 9);
    WFLink9->OnClick = [this](TWFControl& sender) { WFLink9Click(sender); };
    WFRegion10 = headingLine(*WFRegion9, "WFRegion10", 490);

    const auto label = [this](const char* name, int left, int top, const char* caption) {
        TWFLabel* placed = PlaceControl<TWFLabel>(*WFRegion9, name, left, top);
        placed->Caption = caption;
        return placed;
    };
    WFLabel15 = label("WFLabel15", 24, 48, "云考试编号");
    WFEdit7 = PlaceControl<TWFEdit>(*WFRegion9, "WFEdit7", 112, 48, 137);
    WFLabel17 = label("WFLabel17", 264, 48, "点此查找栎川云中的共享考试");
    WFLabel18 = label("WFLabel18", 24, 88, "考试项目名称");
    WFEdit8 = PlaceControl<TWFEdit>(*WFRegion9, "WFEdit8", 136, 88, 337);
    WFLabel19 = label("WFLabel19", 24, 120, "应用口令");
    WFEdit9 = PlaceControl<TWFEdit>(*WFRegion9, "WFEdit9", 136, 120, 121);
    WFButton3 = PlaceControl<TWFButton>(*WFRegion9, "WFButton3", 128, 152, 217, 25);
    WFButton3->Caption = "查找";
    WFButton3->OnClick = [this](TWFControl& sender) { WFButton3Click(sender); };
}

// Lists every exam with its three action cells and whether the home page shows it.
void TWFForm3::WFAppFormCreate() {
    db::Query& tem = UserSession().tem;
    OpenStatement(tem, "select id,考试名称,set2 from test", {});
    WFGrid1->SetRowCount(tem.RecordCount() + 1);
    const char* headings[] = {"考试编号", "考试名称", "考试设置", "删除测试", "查看统计", "状态"};
    for (int column = 0; column < 6; ++column) WFGrid1->Cell(0, column).Text = headings[column];
    int row = 1;
    for (tem.First(); !tem.Eof(); tem.Next(), ++row) {
        WFGrid1->Cell(row, 0).Text = tem.FieldByName("id").AsString();
        WFGrid1->Cell(row, 1).Text = tem.FieldByName("考试名称").AsString();
        const char* actions[] = {"点击设置", "点击删除", "点击查看"};
        for (int action = 0; action < 3; ++action) {
            TWFGridCell& cell = WFGrid1->Cell(row, 2 + action);
            cell.Text = actions[action];
            cell.Clickable = true;
        }
        WFGrid1->Cell(row, 5).Text = tem.FieldByName("set2").AsInteger() == 0 ? "生效" : "隐藏";
    }
}

void TWFForm3::WFGrid1CellClick(TWFControl&, int row, int column) {
    const std::string examId = WFGrid1->Cell(row, 0).Text;
    UserSession().ExamId = examId;
    switch (column) {
        case 2:
            UserSession().MoveToPage<TWFForm4>();
            break;
        case 3:
            WFLabel7->Caption = examId;
            WFRegion8->Visible = true;
            WFLabel8->Caption = "您确实要删除" + WFGrid1->Cell(row, 1).Text + "及其所有题目及成绩信息吗？";
            break;
        case 4:
            UserSession().MoveToPage<TWFForm6>();
            break;
        default:
            break;
    }
}

void TWFForm3::WFLink2Click(TWFControl&) {
    WFEdit1->Text.clear();
    WFRegion4->Visible = true;
}

void TWFForm3::WFLink3Click(TWFControl&) {
    WFRegion4->Visible = false;
}

// The name is stored as typed; the new exam takes the table's defaults for everything else.
void TWFForm3::WFButton1Click(TWFControl&) {
    ExecuteStatement(UserSession().tem, "INSERT INTO test (考试名称) VALUES (?)", {WFEdit1->Text});
    WFRegion4->Visible = false;
    WFAppFormCreate();
}

void TWFForm3::WFLink1Click(TWFControl&) {
    WFEdit2->Text.clear();
    WFEdit3->Text.clear();
    WFEdit4->Text.clear();
    WFRegion6->Visible = true;
}

void TWFForm3::WFLink4Click(TWFControl&) {
    WFRegion6->Visible = false;
}

// The texts are taken as typed; the old password must match exactly, letter case included.
void TWFForm3::WFButton2Click(TWFControl&) {
    web::TWFApplication& session = *web::CurrentSession();
    const std::string& oldPassword = WFEdit2->Text;
    const std::string& newPassword = WFEdit3->Text;
    if (oldPassword.empty() || newPassword.empty()) {
        session.ShowMessage("原密码和新设密码不能为空！");
        return;
    }
    if (WFEdit4->Text != newPassword) {
        session.ShowMessage("新设密码和重复密码不一致！！");
        return;
    }
    db::Query& tem = UserSession().tem;
    OpenStatement(tem, "select setz from shezhi where setx='pass'", {});
    if (tem.FieldByName("setz").AsString() != oldPassword) {
        session.ShowMessage("原密码错误！！！");
        return;
    }
    tem.Edit();
    tem.FieldByName("setz").SetAsString(newPassword);
    tem.Post();
    tem.Close();
    session.ShowMessage("你已经成功的修改了密码，再次登录请使用新密码！");
}

// Results, answers, questions and the exam go together or not at all.
void TWFForm3::WFLink6Click(TWFControl&) {
    std::int64_t examId = 0;
    if (web::text::parseInt64(WFLabel7->Caption, examId)) {
        db::Transaction transaction(UserSession().ADOConnection1);
        ExecuteStatement(UserSession().tem, "delete from cj where testid=?", {examId});
        ExecuteStatement(UserSession().tem, "delete from dtxb where testid=?", {examId});
        ExecuteStatement(UserSession().tem, "delete from tm where testid=?", {examId});
        ExecuteStatement(UserSession().tem, "delete from test where id=?", {examId});
        transaction.Commit();
    }
    WFAppFormCreate();
    WFRegion8->Visible = false;
}

void TWFForm3::WFLink7Click(TWFControl&) {
    WFRegion8->Visible = false;
}

void TWFForm3::WFLink5Click(TWFControl&) {
    UserSession().MoveToPage<TWFForm2>();
}

}  // namespace exam

namespace exam {

void TWFForm3::WFLink10Click(web::forms::TWFControl&) {
    const web::DownloadInfo info{"application/vnd.sqlite3", "db1-" + FileNameStamp() + ".db"};
    OfferDownload(*this, "BAK", info, [](const std::string& path) {
        // The backup makes its file itself and never writes over one.
        std::filesystem::remove(path);
        BackupDatabase(std::string(db::kDatabaseFileName), path);
    });
}

}  // namespace exam

namespace exam {

void TWFForm3::WFLink8Click(TWFControl&) {
    WFRegion9->Visible = true;
    WFEdit7->Text.clear();
    WFEdit7->ReadOnly = false;
    for (TWFEdit* edit : {WFEdit8, WFEdit9}) {
        edit->Text.clear();
        edit->Visible = false;
    }
    WFLabel18->Visible = false;
    WFLabel19->Visible = false;
    WFButton3->Caption = "查找";
    foundNumber_ = 0;
}

void TWFForm3::WFLink9Click(TWFControl&) {
    WFRegion9->Visible = false;
}

// The caption says which step is next. The library connection is open for this click
// only: every way out, a message included, closes it again.
void TWFForm3::WFButton3Click(TWFControl&) {
    std::int64_t typed = 0;
    if (!web::text::parseInt64(web::text::trim(WFEdit7->Text), typed)) {
        web::CurrentSession()->ShowMessage("考试编号必须为数字，请检查！！！");
        return;
    }
    struct Disconnect {
        TWFUserSession& session;
        ~Disconnect() {
            session.ycquery.Close();
            session.yccon.Close();
        }
    } disconnect{UserSession()};
    UserSession().yccon.Open();
    if (WFButton3->Caption == "查找") {
        // Library numbers are positive SQL integers; no exam has any other.
        findSharedExam(typed >= 1 && typed <= INT32_MAX ? static_cast<int>(typed) : 0);
    } else {
        loadSharedExam(foundNumber_);
    }
}

void TWFForm3::findSharedExam(int number) {
    library::RemoteQuery& ycquery = UserSession().ycquery;
    if (number > 0) {
        ycquery.Open(
            "select extract(epoch from shijian+fbq*interval '1 day')::float8 as sj,name from zxtest where "
            "id=$1",
            {std::to_string(number)});
    }
    if (number == 0 || ycquery.RecordCount() == 0) {
        web::CurrentSession()->ShowMessage("考试编号错误，请检查！！！");
        return;
    }
    WFEdit8->Text = ycquery.FieldByName("name");
    WFEdit7->ReadOnly = true;
    WFEdit8->Visible = true;
    WFLabel18->Visible = true;
    const double closedUntil = std::strtod(ycquery.FieldByName("sj").c_str(), nullptr);
    const auto now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch());
    const bool open = now.count() >= closedUntil;
    WFEdit9->Visible = !open;
    WFLabel19->Visible = !open;
    WFButton3->Caption = "载入";
    foundNumber_ = number;
}

// Everything is read from the library and checked before anything is written; the exam
// and its questions are then stored together, or nothing is.
void TWFForm3::loadSharedExam(int number) {
    TWFUserSession& session = UserSession();
    const std::string numberText = std::to_string(number);
    // An exam withdrawn since the find is reported like an unknown number.
    session.ycquery.Open("select yykl from zxtest where id=$1", {numberText});
    if (session.ycquery.Eof()) {
        web::CurrentSession()->ShowMessage("考试编号错误，请检查！！！");
        return;
    }
    if (WFEdit9->Visible && web::text::trim(WFEdit9->Text) != session.ycquery.FieldByName("yykl")) {
        web::CurrentSession()->ShowMessage("应用口令错误，请检查！！！");
        return;
    }
    session.ycquery.Close();
    const std::vector<library::SharedQuestion> questions = library::ReadSharedQuestions(
        session.yccon.Execute("select * from  zxtm where testid=$1 order by id", {numberText}));
    if (const std::string refusal = library::CheckSharedQuestions(questions); !refusal.empty()) {
        web::CurrentSession()->ShowMessage(refusal);
        return;
    }
    db::Query& tem = session.tem;
    db::Transaction transaction(session.ADOConnection1);
    OpenStatement(tem, "select * from test where id is null", {});
    tem.Append();
    tem.FieldByName("wid").SetAsInteger(number);
    tem.FieldByName("考试名称").SetAsString(web::text::trim(WFEdit8->Text));
    tem.Post();
    const std::int64_t examId = tem.FieldByName("id").AsInteger();
    for (const library::SharedQuestion& question : questions) {
        const QuestionRow& row = question.row;
        ExecuteStatement(
            tem, "INSERT INTO tm (testid,wid,题型,题目,候选项,答案,分数) VALUES (?,?,?,?,?,?,?)",
            {examId, std::stoll(question.id), row.type, row.text, row.options, row.answer, row.points});
    }
    transaction.Commit();
}

}  // namespace exam
