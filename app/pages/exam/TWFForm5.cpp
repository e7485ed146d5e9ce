#include "app/pages/exam/TWFForm5.h"

#include <algorithm>
#include <array>

#include "app/PageControls.h"
#include "app/PageFrames.h"
#include "app/PageQueries.h"
#include "app/TWFUserSession.h"
#include "app/autosave/Autosave.h"
#include "app/exam/ExamClock.h"
#include "app/exam/HandIn.h"
#include "app/exam/QuestionBank.h"
#include "app/pages/complete/TWFForm7.h"
#include "app/pages/exam/ExamPageScript.h"
#include "app/pages/home/TWFForm2.h"
#include "web/server/TWFApplication.h"

namespace exam {

using namespace web::forms;

namespace {

constexpr std::array<const char*, 6> kLetters{"A", "B", "C", "D", "E", "F"};
constexpr const char* kNameRequired = "姓名不能为空";
constexpr TColor kSaddleBrown{0x13458B};
// The options start below the answer hint and end above the buttons (top 424).
constexpr int kOptionsTop = 262;
constexpr int kOptionsHeight = 155;

// The questions shown in this process, shared by every candidate's exam page.
ShownQuestions& shownQuestions() {
    static ShownQuestions questions;
    return questions;
}

void placeControl(TWFControl& control, int left, int top, int width, int height) {
    control.Left = left;
    control.Top = top;
    control.Width = width;
    control.Height = height;
}

TWFLabel& addLabel(TWFContainer& parent, const char* name, int left, int top, const char* caption) {
    auto& label = parent.Add(std::make_unique<TWFLabel>(name));
    label.Left = left;
    label.Top = top;
    label.Caption = caption;
    return label;
}

// A region without a border of its own.
TWFRegion& addPlainRegion(TWFContainer& parent, const char* name, int left, int top, int width, int height) {
    auto& region = parent.Add(std::make_unique<TWFRegion>(name));
    placeControl(region, left, top, width, height);
    region.BorderOptions.Style = TWFBorderStyle::cbsSolid;
    region.BorderOptions.BorderWidth = TWFBorderWidth::cbwNumeric;
    region.BorderOptions.NumericWidth = 0;
    return region;
}

void showMessage(const std::string& text) {
    web::CurrentSession()->ShowMessage(text);
}

}  // namespace

TWFForm5::TWFForm5() : TWFAppForm("WFForm5", "TWFForm5", 1000, 679) {
    createControls();
    WFAppFormCreate();
}

TWFForm5::TWFForm5(const AnswerSheet& restored)
    : TWFAppForm("WFForm5", "TWFForm5", 1000, 679), sheet_(restored) {
    createControls();
    if (sheet_.questionCount() == 0 || !showExam()) throw ESheetOutdated();
    // The deadline stays the one fixed when the paper was begun.
    showTimeLimit(sheet_.deadline() ? 1 : 0);
    db::Query& tem2 = UserSession().tem2;
    WFGrid1->SetRowCount(sheet_.questionCount());
    for (int row = 0; row < sheet_.questionCount(); ++row) {
        OpenStatement(tem2, "select 题目,testid from tm where id=?",
                      {sheet_.questionIds()[static_cast<std::size_t>(row)]});
        if (tem2.Eof() || tem2.FieldByName("testid").AsString() != sheet_.examId()) throw ESheetOutdated();
        addNavigatorRow(row, tem2.FieldByName("题目").AsString());
    }
    WFEdit1->Text = sheet_.name();
    if (sheet_.nameConfirmed()) {
        WFEdit1->Enabled = false;
        WFLink1->Visible = false;
    }
    xsxt();
}

void TWFForm5::createControls() {
    ApplyExamPageSettings(*this, "考试页面---栎川考试系统");
    PlaceHeaderFrame(*this, 10, 0);

    WFRegion1 = &AddMainRegion(*this, 541);

    createHeading();
    createName();
    createNavigator();
    createQuestion();
    createButtons();
    createLegend();

    PlaceFooterFrame(*this, 10, 614, 60);
}

void TWFForm5::createHeading() {
    WFLabel1 = &addLabel(*WFRegion1, "WFLabel1", 10, 16, "WFLabel1");
    WFLabel1->Width = 960;
    WFLabel1->Height = 24;
    WFLabel1->AutoSize = false;
    WFLabel1->Alignment = TAlignment::taCenter;
    WFLabel1->Font.FontName = "黑体";
    WFLabel1->Font.Size = 12;

    WFLink2 = PlaceControl<TWFLink>(*WFRegion1, "WFLink2", 904, 8);
    WFLink2->Caption = "【返回】";
    WFLink2->Confirmation = "您确认要返回主界面吗？当前页面的作答将全部丢失！";
    WFLink2->OnClick = [this](TWFControl& sender) { WFLink2Click(sender); };

    WFHRule1 = PlaceControl<TWFHRule>(*WFRegion1, "WFHRule1", 15, 49, 950);
}

void TWFForm5::createName() {
    WFLabel3 = &addLabel(*WFRegion1, "WFLabel3", 668, 93, "姓名");

    WFEdit1 = &WFRegion1->Add(std::make_unique<TWFEdit>("WFEdit1"));
    placeControl(*WFEdit1, 704, 90, 193, 21);
    WFEdit1->Font.CSSStyle = "srk";
    WFEdit1->MaxLength = 0;
    WFLabel3->FocusControl = WFEdit1;

    WFLink1 = PlaceControl<TWFLink>(*WFRegion1, "WFLink1", 902, 93);
    WFLink1->Caption = "【确认】";
    WFLink1->OnClick = [this](TWFControl& sender) { WFLink1Click(sender); };
}

void TWFForm5::createNavigator() {
    WFLabel4 = &addLabel(*WFRegion1, "WFLabel4", 16, 104, "试题列表");

    WFRegion2 = &addPlainRegion(*WFRegion1, "WFRegion2", 16, 120, 329, 385);
    WFGrid1 = PlaceControl<TWFGrid>(*WFRegion2, "WFGrid1", 0, 0, 310);
    WFGrid1->SetColumnCount(1);
    WFGrid1->SetRowCount(0);
    WFGrid1->BorderSize = 0;
    WFGrid1->Lines = TWFTableLines::tlAll;
    WFGrid1->CellPadding = 3;
    WFGrid1->Font.Size = 10;
    WFGrid1->OnCellClick = [this](TWFControl& sender, int row, int column) {
        WFGrid1CellClick(sender, row, column);
    };
}

// The options grow with their texts (a row as tall as its text); the buttons and the
// legend below them move down by as much, so long options never run under them.
void TWFForm5::createQuestion() {
    WFLabel2 = &addLabel(*WFRegion1, "WFLabel2", 360, 94, "题目");
    WFLabel2->Font.Style.insert(TFontStyle::fsBold);

    // The question is for reading only; its text is never read back.
    WFMemo1 = &WFRegion1->Add(std::make_unique<TWFMemo>("WFMemo1"));
    placeControl(*WFMemo1, 360, 120, 577, 121);
    WFMemo1->Font.Size = 12;
    WFMemo1->VertScrollBar = true;
    WFMemo1->Editable = false;

    WFLabel9 = &addLabel(*WFRegion1, "WFLabel9", 735, 243, "参考答案（鼠标移动到此处查看）");
    WFLabel9->Font.Color = clWebGRAY;
    WFLabel9->Font.Size = 9;
    WFLabel9->ShowHint = true;
    WFLabel9->Visible = false;

    WFRadioGroup1 = &WFRegion1->Add(std::make_unique<TWFRadioGroup>("WFRadioGroup1"));
    placeControl(*WFRadioGroup1, 360, kOptionsTop, 577, kOptionsHeight);
    WFRadioGroup1->Layout = TWFGroupLayout::glVertical;
    WFRadioGroup1->Font.Size = 12;
    WFRadioGroup1->Items = {"1", "2", "3", "4", "5", "6"};
    // As wide as the question; long options wrap there and make the group taller.
    WFRadioGroup1->RenderSize = true;
    WFRadioGroup1->GrowsWithContent = true;

    WFRegion4 = &addPlainRegion(*WFRegion1, "WFRegion4", 360, kOptionsTop, 577, kOptionsHeight);
    // Written after the question (regions otherwise come first), so its boxes follow the
    // question in the tab order.
    WFRegion4->TabOrder = WFMemo1->TabOrder;
    std::array<TWFCheckBox**, 6> boxes{&xA, &xB, &xC, &xD, &xE, &xF};
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        auto& check = WFRegion4->Add(std::make_unique<TWFCheckBox>(std::string("x") + kLetters[k]));
        placeControl(check, 0, static_cast<int>(k) * 26, 577, 21);
        check.Font.Size = 12;
        check.Caption = std::string("x") + kLetters[k];
        check.GrowsWithContent = true;
        *boxes[k] = &check;
    }
}

void TWFForm5::createButtons() {
    const auto addButton = [this](const char* name, int left, const char* caption) {
        auto& button = WFRegion1->Add(std::make_unique<TWFButton>(name));
        placeControl(button, left, 424, 180, 50);
        button.Caption = caption;
        button.Font.CSSStyle = "btn";
        return &button;
    };
    WFButton1 = addButton("WFButton1", 368, "上一题");
    WFButton1->OnClick = [this](TWFControl& sender) { WFButton1Click(sender); };
    WFButton2 = addButton("WFButton2", 568, "下一题");
    WFButton2->OnClick = [this](TWFControl& sender) { WFButton2Click(sender); };
    WFButton4 = addButton("WFButton4", 768, "交卷");
    WFButton4->Confirmation = "交卷后将不能继续修改答题，您确认要交卷吗？";
    WFButton4->OnClick = [this](TWFControl& sender) { WFButton4Click(sender); };
}

// The legend's three regions are also where the navigator takes its colours from.
void TWFForm5::createLegend() {
    constexpr int kTop = 494;
    WFLabel8 = &addLabel(*WFRegion1, "WFLabel8", 368, kTop, "颜色示意：");
    const auto addSample = [this](const char* region, TColor colour, int left, const char* label,
                                  const char* caption, TWFLabel*& labelField) {
        TWFRegion& sample = addPlainRegion(*WFRegion1, region, left, kTop, 60, 17);
        sample.Color = colour;
        labelField = &addLabel(*WFRegion1, label, left + 66, kTop, caption);
        labelField->Font.Color = kSaddleBrown;
        labelField->Font.Size = 9;
        return &sample;
    };
    dqjlcol = addSample("dqjlcol", 8366590, 440, "WFLabel5", "当前习题", WFLabel5);
    ydcol = addSample("ydcol", 15335156, 576, "WFLabel6", "已做习题", WFLabel6);
    weidacol = addSample("weidacol", 13092534, 712, "WFLabel7", "未做习题", WFLabel7);
    // Progress in words beside the colours, so it never rests on colour alone.
    WFLabel10 = &addLabel(*WFRegion1, "WFLabel10", 850, kTop, "");
    WFLabel10->Font.Color = kSaddleBrown;
    WFLabel10->Font.Size = 9;

    WFLabel11 = &addLabel(*WFRegion1, "WFLabel11", 440, 94, "");
    WFLabel12 = &addLabel(*WFRegion1, "WFLabel12", 560, 94, "");
    WFLabel12->Font.Color = clWebRED;
    WFLabel12->Font.Style.insert(TFontStyle::fsBold);
    WFLabel12->Visible = false;
}

// Loads the exam and its questions (shuffled when the exam asks for it) and shows the
// first question.
void TWFForm5::WFAppFormCreate() {
    TWFUserSession& session = UserSession();
    OpenStatement(session.tem2, "select 考试标识 from test where id=?", {session.ExamId});
    const std::string tag = session.tem2.FieldByName("考试标识").AsString();
    sheet_ = AnswerSheet(session.ExamId, tag, {});
    const bool found = showExam();
    const bool shuffled = found && session.tem.FieldByName("set3").AsInteger() == 0;
    const std::int64_t limit = found ? limitMinutes_ : 0;

    db::Query& tem2 = session.tem2;
    OpenStatement(
        tem2,
        shuffled ? "select * from tm where testid=?  Order By Rnd(ID)" : "select * from tm where testid=?",
        {session.ExamId});
    WFGrid1->SetRowCount(tem2.RecordCount());
    std::vector<std::string> ids;
    for (tem2.First(); !tem2.Eof(); tem2.Next()) {
        addNavigatorRow(static_cast<int>(ids.size()), tem2.FieldByName("题目").AsString());
        ids.push_back(tem2.FieldByName("id").AsString());
    }
    sheet_ = AnswerSheet(session.ExamId, tag, std::move(ids));
    // The clock starts when the paper is handed out.
    if (limit > 0) sheet_.setDeadline(ServerNow() + limit * MinuteSeconds());
    showTimeLimit(limit);
    xsxt();
}

void TWFForm5::showTimeLimit(std::int64_t minutes) {
    WFLabel12->Visible = minutes > 0;
}

// Leaves the exam's row open on tem for the caller.
bool TWFForm5::showExam() {
    db::Query& tem = UserSession().tem;
    OpenStatement(tem, "select 考试名称,set3,set4,考试时限 from test where id=?", {sheet_.examId()});
    if (tem.Eof()) return false;
    WFLabel1->Caption = tem.FieldByName("考试名称").AsString();
    // The editor stores 1 for a hint that is switched on.
    WFLabel9->Visible = tem.FieldByName("set4").AsInteger() != 0;
    limitMinutes_ = tem.FieldByName("考试时限").AsInteger();
    return true;
}

// The navigator numbers the questions in display order.
void TWFForm5::addNavigatorRow(int row, const std::string& text) {
    TWFGridCell& cell = WFGrid1->Cell(row, 0);
    cell.Text = std::to_string(row + 1) + "." + text;
    cell.Clickable = true;
}

TWFCheckBox* TWFForm5::box(int k) const {
    const std::array<TWFCheckBox*, 6> boxes{xA, xB, xC, xD, xE, xF};
    return boxes.at(static_cast<std::size_t>(k));
}

void TWFForm5::xsxt() {
    if (!sheet_.onQuestion()) return;
    const std::shared_ptr<const ShownQuestion> question = readQuestion(sheet_.currentQuestionId());
    WFMemo1->Lines = exam::QuestionLines(question->text);
    WFLabel2->Caption = question->type;
    shownKind_ = AnswerKindOf(question->type);
    if (WFLabel9->Visible) WFLabel9->Hint = "标准答案：" + question->answer;
    showOptions(question->type, question->options);
    colourNavigator();
}

// The question as stored, or as read for an earlier click while nothing has written the
// database since. Inside a transaction the database is read: it may hold a change not
// committed yet.
std::shared_ptr<const ShownQuestion> TWFForm5::readQuestion(const std::string& id) {
    db::Query& tem = UserSession().tem;
    db::Database& database = tem.Connection();
    const bool keepable = !database.InTransaction();
    const std::uint64_t generation = keepable ? database.Pool().dataGeneration() : 0;
    if (keepable) {
        if (std::shared_ptr<const ShownQuestion> kept = shownQuestions().find(id, generation)) return kept;
    }
    OpenStatement(tem, "select 题目,题型,答案,候选项 from tm where id=?", {id});
    auto question = std::make_shared<const ShownQuestion>(
        ShownQuestion{tem.FieldByName("题目").AsString(), tem.FieldByName("题型").AsString(),
                      tem.FieldByName("答案").AsString(), tem.FieldByName("候选项").AsString()});
    if (keepable) shownQuestions().keep(id, generation, question);
    return question;
}

// The options as radio buttons, or for a multiple-choice question as check boxes (as many
// as there are options, at most six), marked after the saved answer.
void TWFForm5::showOptions(const std::string& type, const std::string& options) {
    WFRadioGroup1->Items = exam::QuestionLines(options);
    if (WFRadioGroup1->Items.empty()) {
        WFRadioGroup1->Items = {"A.选项", "B.选项", "C.选项", "D.选项", "E.选项", "F.选项"};
    }
    const std::string& saved = sheet_.currentAnswer();
    const int itemCount = static_cast<int>(WFRadioGroup1->Items.size());
    if (AnswerKindOf(type) == AnswerKind::Letters) {
        WFRadioGroup1->Visible = false;
        WFRegion4->Visible = true;
        for (int k = 0; k < kAnswerLetters; ++k) {
            TWFCheckBox& check = *box(k);
            check.Visible = itemCount > k;
            if (!check.Visible) continue;
            check.Caption = WFRadioGroup1->Items[static_cast<std::size_t>(k)];
            check.Checked = saved.find(kLetters[static_cast<std::size_t>(k)]) != std::string::npos;
        }
        return;
    }
    WFRadioGroup1->Visible = true;
    WFRadioGroup1->ItemIndex = -1;
    for (int k = 0; k < kAnswerLetters; ++k) {
        if (saved == kLetters[static_cast<std::size_t>(k)]) WFRadioGroup1->ItemIndex = k;
    }
    WFRegion4->Visible = false;
}

// Answered questions in the "done" colour, the others in the "not done" colour, the shown
// one in the "current" colour.
void TWFForm5::colourNavigator() {
    for (int row = 0; row < sheet_.questionCount(); ++row) {
        TWFGridCell& cell = WFGrid1->Cell(row, 0);
        cell.BGColor =
            sheet_.answers()[static_cast<std::size_t>(row)].empty() ? weidacol->Color : ydcol->Color;
        if (row == sheet_.current()) cell.BGColor = dqjlcol->Color;
    }
    showProgress();
}

// The count of answered questions beside the legend, in words; the position over the
// question.
void TWFForm5::showProgress() {
    WFLabel11->Caption =
        "第 " + std::to_string(sheet_.current() + 1) + " / " + std::to_string(sheet_.questionCount()) + " 题";
    WFLabel10->Caption = "已答 " + std::to_string(sheet_.answeredCount()) + " / " +
                         std::to_string(sheet_.questionCount()) + " 题";
}

bool TWFForm5::dasave() {
    if (!sheet_.onQuestion()) return false;
    bool changed = false;
    if (shownKind_ == AnswerKind::OneLetter) {
        changed = sheet_.recordChoice(WFRadioGroup1->ItemIndex);
    } else {
        std::vector<bool> checked;
        for (int k = 0; k < kAnswerLetters; ++k) checked.push_back(box(k)->Visible && box(k)->Checked);
        changed = sheet_.recordChecked(checked);
    }
    showProgress();
    return changed;
}

void TWFForm5::autosave(Change change) {
    const bool renamed = sheet_.name() != WFEdit1->Text;
    sheet_.setName(WFEdit1->Text);
    Autosave* store = InstalledAutosave();
    if (store == nullptr) return;
    const std::string& session = web::CurrentSession()->SessionID();
    if (change == Change::Move && !renamed) {
        store->saveMove(session, sheet_);
    } else {
        store->save(session, sheet_);
    }
}

void TWFForm5::WFButton2Click(TWFControl&) {
    const bool answered = dasave();
    if (sheet_.next() == AnswerSheet::Move::AlreadyLast) {
        showMessage("已经是最后一题");
    } else {
        xsxt();
    }
    autosave(answered ? Change::Answer : Change::Move);
}

void TWFForm5::WFButton1Click(TWFControl&) {
    const bool answered = dasave();
    if (sheet_.previous() == AnswerSheet::Move::AlreadyFirst) {
        showMessage("已经是第一题");
    } else {
        xsxt();
    }
    autosave(answered ? Change::Answer : Change::Move);
}

void TWFForm5::WFGrid1CellClick(TWFControl&, int row, int) {
    const bool answered = dasave();
    // A posted row outside the list (only a forged post can send one) changes nothing.
    sheet_.moveTo(row);
    xsxt();
    autosave(answered ? Change::Answer : Change::Move);
}

void TWFForm5::WFLink1Click(TWFControl&) {
    if (TrimmedName(WFEdit1->Text).empty()) {
        showMessage(kNameRequired);
    } else {
        WFEdit1->Enabled = false;
        WFLink1->Visible = false;
        sheet_.setNameConfirmed(true);
    }
    autosave();
}

// The candidate gives the paper up, so its saved copy goes too.
void TWFForm5::WFLink2Click(TWFControl&) {
    if (Autosave* store = InstalledAutosave()) store->remove(web::CurrentSession()->SessionID());
    UserSession().MoveToPage<TWFForm2>();
}

// The saved copy is marked as being handed in before the paper is stored, and removed once
// it is stored: a copy that survives a crash in between is known to be handed in already
// and is never resumed into a second paper.
void TWFForm5::WFButton4Click(TWFControl&) {
    dasave();
    if (sheet_.timeUp(ServerNow())) return handInAutomatically();
    const std::string name = TrimmedName(WFEdit1->Text);
    if (name.empty()) {
        showMessage(kNameRequired);
        autosave();
        return;
    }
    sheet_.setHandingIn(true);
    autosave();
    sheet_.setHandingIn(false);
    bool stored = false;
    try {
        stored = storePaper(name);
    } catch (...) {
        autosave();
        throw;
    }
    if (!stored) {
        // The name must be changed, so a confirmed name becomes editable again.
        WFEdit1->Enabled = true;
        WFLink1->Visible = true;
        sheet_.setNameConfirmed(false);
        autosave();
        showMessage("已经存在相同的姓名，请修改姓名！！！");
        return;
    }
    finishHandIn(name);
}

void TWFForm5::finishHandIn(const std::string& name) {
    if (Autosave* store = InstalledAutosave()) store->remove(web::CurrentSession()->SessionID());
    TWFUserSession& session = UserSession();
    session.CandidateName = name;
    session.MoveToPage<TWFForm7>();
}

void TWFForm5::handInAutomatically() {
    const std::string typed = TrimmedName(WFEdit1->Text);
    const std::string& address = web::CurrentSession()->ClientIP();
    // The copy names the paper as it will most likely be stored, so that a restart in
    // between finds it stored and does not hand it in twice.
    sheet_.setHandingIn(true);
    sheet_.setName(AutomaticName(typed, address, 0));
    if (Autosave* store = InstalledAutosave()) store->save(web::CurrentSession()->SessionID(), sheet_);
    sheet_.setHandingIn(false);
    for (int attempt = 0; attempt < kAutomaticNameAttempts; ++attempt) {
        const std::string name = AutomaticName(typed, address, attempt);
        if (storePaper(name, true)) return finishHandIn(name);
    }
    throw std::runtime_error("The paper could not be stored under any name.");
}

void TWFForm5::ProcessSubmit(const web::FieldList& params) {
    if (sheet_.closed(ServerNow())) return handInAutomatically();
    TWFAppForm::ProcessSubmit(params);
}

bool TWFForm5::keepAliveDue() const {
    return sheet_.closed(ServerNow());
}

void TWFForm5::keepAlive() {
    if (keepAliveDue()) handInAutomatically();
}

void TWFForm5::RenderHTML(std::ostream& out, web::TWFApplication& session) {
    updateScript();
    TWFAppForm::RenderHTML(out, session);
}

// The countdown and the hand-in question work in the browser from what the server holds
// at this rendering: the seconds left until its deadline, and which questions have answers.
void TWFForm5::updateScript() {
    ExamPageState state;
    if (sheet_.deadline()) {
        state.secondsLeft = sheet_.secondsLeft(ServerNow());
        state.warnAtSeconds = 5 * MinuteSeconds();
        // An exam of five minutes or less gets no warning: its whole time is that short.
        state.warn = limitMinutes_ > 5;
        WFLabel12->Caption = "剩余时间 " + FormatRemaining(state.secondsLeft);
    }
    for (const std::string& answer : sheet_.answers()) state.answered.push_back(!answer.empty());
    state.current = sheet_.current();
    state.shownKind = shownKind_;
    JavaScript = ExamPageScript(state);
}

// The paper as the page holds it, handed in through the exam's hand-in unit.
bool TWFForm5::storePaper(const std::string& name, bool automatic) {
    TWFUserSession& session = UserSession();
    Paper paper{sheet_.examId(), name, web::CurrentSession()->ClientIP(), sheet_.paperAnswers(), automatic};
    return HandIn(session.ADOConnection1).submit(paper).outcome == HandInOutcome::Stored;
}

}  // namespace exam
