#include "app/pages/settings/TWFForm4.h"

#include <cstdint>
#include <vector>

#include "app/PageControls.h"
#include "app/PageFrames.h"
#include "app/PageQueries.h"
#include "app/TWFUserSession.h"
#include "app/db/Value.h"
#include "app/exam/ExamClock.h"
#include "app/exam/QuestionBank.h"
#include "app/pages/examlist/TWFForm3.h"
#include "app/pages/results/TWFForm6.h"
#include "web/server/TWFApplication.h"
#include "web/server/Text.h"

namespace exam {

using namespace web::forms;

namespace {

// The option prefixes, one per line of the fixed column beside the options box.
const std::vector<std::string> kOptionPrefixes{"A.", "B.", "C.", "D.", "E.", "F."};

// Panels over the page follow the main region when the window is wider than the page.
constexpr TWFAnchors kFloating{false, true, false, false};

TWFLabel* label(TWFContainer& parent, const char* name, int left, int top, const char* caption) {
    TWFLabel* created = PlaceControl<TWFLabel>(parent, name, left, top);
    created->Caption = caption;
    return created;
}

TWFLink* link(TWFContainer& parent, const char* name, int left, int top, const char* caption) {
    TWFLink* created = PlaceControl<TWFLink>(parent, name, left, top);
    created->Caption = caption;
    return created;
}

TWFRegion* plainRegion(TWFContainer& parent, const char* name, int left, int top, int width, int height,
                       TColor color) {
    TWFRegion* region = PlaceControl<TWFRegion>(parent, name, left, top, width, height);
    region->BorderOptions.Style = TWFBorderStyle::cbsNone;
    region->Color = color;
    return region;
}

TWFLabel* panelHeading(TWFContainer& panel, const char* name, const char* caption) {
    TWFLabel* heading = label(panel, name, 8, 8, caption);
    heading->Font.FontName = "黑体";
    heading->Font.Size = 12;
    return heading;
}

// The exam's key as a number; an id that is no number matches no row.
db::Value examKey(const std::string& id) {
    std::int64_t key = 0;
    if (web::text::parseInt64(id, key)) return key;
    return nullptr;
}

// The answer hint is stored the other way round from the other switches (1 shows it), so
// its "启用" stands for any stored value but 0.
int hintSwitchIndex(std::int64_t stored) {
    return stored != 0 ? 0 : 1;
}

}  // namespace

TWFForm4::TWFForm4() : TWFAppForm("WFForm4", "TWFForm4", 1000, 755) {
    ApplyExamPageSettings(*this, "考试设置---栎川考试系统");
    buildHead();
    buildSwitches();
    buildQuestionList();
    buildDeleteConfirmation();
    buildAddPanel();
    buildImportPanel();
    importPanel = std::make_unique<QuestionImportPanel>(
        *this, [] { return examKey(UserSession().ExamId); },
        [this](std::size_t count) {
            WFLink4Click(*WFLink4);
            web::CurrentSession()->ShowMessage("成功导入" + std::to_string(count) + "道试题！");
        });
    PlaceHeaderFrame(*this, 11, 0);
    PlaceFooterFrame(*this, 10, 688);
    WFAppFormCreate();
}

void TWFForm4::buildHead() {
    WFRegion1 = &AddMainRegion(*this, 613);

    WFLabel2 = label(*WFRegion1, "WFLabel2", 8, 10, "№：");
    WFLabel2->Font.FontName = "黑体";
    WFLabel2->Font.Size = 12;
    WFLabel1 = PlaceControl<TWFLabel>(*WFRegion1, "WFLabel1", 35, 11);

    WFLink6 = link(*WFRegion1, "WFLink6", 784, 8, "【查看统计信息】");
    WFLink6->OnClick = [this](TWFControl& sender) { WFLink6Click(sender); };
    WFLink2 = link(*WFRegion1, "WFLink2", 904, 8, "【返回】");
    WFLink2->OnClick = [this](TWFControl& sender) { WFLink2Click(sender); };

    WFLabel21 = label(*WFRegion1, "WFLabel21", 8, 40, "考试名称");
    WFEdit1 = PlaceControl<TWFEdit>(*WFRegion1, "WFEdit1", 96, 38, 425);
    WFEdit1->Font.CSSStyle = "srk";
    WFLink1 = link(*WFRegion1, "WFLink1", 528, 41, "【保存】");
    WFLink1->OnClick = [this](TWFControl& sender) { WFLink1Click(sender); };

    WFLabel20 = label(*WFRegion1, "WFLabel20", 624, 40, "当前考试标识");
    WFLabel20->Hint = "成绩统计时作为分组依据，可以为空";
    WFLabel20->ShowHint = true;
    WFEdit4 = PlaceControl<TWFEdit>(*WFRegion1, "WFEdit4", 736, 40, 121);
    WFLink9 = link(*WFRegion1, "WFLink9", 864, 41, "【保存】");
    WFLink9->OnClick = [this](TWFControl& sender) { WFLink9Click(sender); };
}

// A row of boxes, each with a caption over a two-choice group; the colours alternate.
void TWFForm4::buildSwitches() {
    struct Switch {
        const char* region;
        const char* label;
        const char* caption;
        const char* name;
        TWFRadioGroup** group;
        void (TWFForm4::*handler)(TWFControl&);
    };
    const Switch switches[] = {
        {"WFRegion4", "WFLabel9", "首 页 显 示", "s2", &s2, &TWFForm4::s2Click},
        {"WFRegion6", "WFLabel10", "乱 序 显 示", "s3", &s3, &TWFForm4::s3Click},
        {"WFRegion7", "WFLabel11", "提示答案", "s4", &s4, &TWFForm4::s4Click},
        {"WFRegion10", "WFLabel12", "显示成绩", "s1", &s1, &TWFForm4::s1Click},
        {"WFRegion11", "WFLabel13", "查看答题情况", "s5", &s5, &TWFForm4::s5Click},
    };
    const TColor colors[] = {14349531, 14938620};
    int left = 10;
    int index = 0;
    for (const Switch& entry : switches) {
        TWFRegion* box = plainRegion(*WFRegion1, entry.region, left, 68, 120, 45, colors[index % 2]);
        label(*box, entry.label, 8, 4, entry.caption);
        TWFRadioGroup* group = PlaceControl<TWFRadioGroup>(*box, entry.name, 8, 24, 89, 17);
        group->Layout = TWFGroupLayout::glHorizontal;
        group->Items = {"启用", "关闭"};
        group->OnClick = [this, handler = entry.handler](TWFControl& sender) { (this->*handler)(sender); };
        *entry.group = group;
        left += 121;
        ++index;
    }
    TWFRegion* rest = plainRegion(*WFRegion1, "WFRegion12", left, 68, 354, 45, colors[index % 2]);
    WFLabel26 = label(*rest, "WFLabel26", 8, 4, "考试时限（分钟）");
    WFLabel26->Hint = "0表示不限时";
    WFLabel26->ShowHint = true;
    WFEdit5 = PlaceControl<TWFEdit>(*rest, "WFEdit5", 8, 22, 60);
    WFLink13 = link(*rest, "WFLink13", 76, 24, "【保存】");
    WFLink13->OnClick = [this](TWFControl& sender) { WFLink13Click(sender); };
}

void TWFForm4::buildQuestionList() {
    WFLink4 = link(*WFRegion1, "WFLink4", 712, 120, "【刷新题目列表】");
    WFLink4->OnClick = [this](TWFControl& sender) { WFLink4Click(sender); };
    WFLink3 = link(*WFRegion1, "WFLink3", 872, 120, "【新增试题】");
    WFLink3->OnClick = [this](TWFControl& sender) { WFLink3Click(sender); };
    // The way into the shared-exam import stays hidden.
    WFLink10 = link(*WFRegion1, "WFLink10", 528, 120, "【从栎川云中添加试题】");
    WFLink10->Visible = false;
    WFLink12 = link(*WFRegion1, "WFLink12", 616, 120, "【批量导入】");
    WFLink12->OnClick = [this](TWFControl& sender) { WFLink12Click(sender); };
    WFLink10->OnClick = [this](TWFControl& sender) { WFLink10Click(sender); };

    WFDBGrid1 = PlaceControl<TWFDBGrid>(*WFRegion1, "WFDBGrid1", 10, 144, 959, 453);
    WFDBGrid1->Anchors = TWFAnchors{true, true, false, true};
    WFDBGrid1->UseFrame = true;
    WFDBGrid1->BorderSize = 1;
    WFDBGrid1->Font.CSSStyle = "qbk";
    WFDBGrid1->RollOver = true;
    WFDBGrid1->RollOverColor = 11845362;
    WFDBGrid1->RowLimit = 0;
    WFDBGrid1->FromStart = true;
    WFDBGrid1->DataSource = &UserSession().ADOQuery1;

    // Question and options wrap inside a fixed width, so a long text grows its row, not
    // the grid (a width of 0 keeps the column as wide as its text).
    struct Column {
        const char* field;
        const char* title;
        bool centred;
        int wrapWidth;
    };
    const Column columns[] = {{"编号", "编号", false, 0}, {"题目", "题目（点击删除该题目）", true, 380},
                              {"题型", "题型", false, 0}, {"候选项", "候选项", false, 300},
                              {"答案", "答案", true, 0},  {"分数", "分数", true, 0},
                              {"操作", "操作", true, 0}};
    for (const Column& entry : columns) {
        TWFDBGridColumn& column = WFDBGrid1->Columns.Add();
        column.SetDataField(entry.field);
        column.Title.Text = entry.title;
        if (entry.centred) column.Alignment = TAlignment::taCenter;
        if (entry.wrapWidth > 0) {
            column.Wrap = true;
            column.SetWidth(std::to_string(entry.wrapWidth));
        }
    }
    TWFDBGridColumn& editing = WFDBGrid1->Columns[6];
    editing.LinkField = "编号";
    editing.OnClick = [this](TWFDBGridColumn& sender, const std::string& value) {
        WFDBGrid1Columns6Click(sender, value);
    };
    TWFDBGridColumn& question = WFDBGrid1->Columns[1];
    question.LinkField = "编号";
    question.OnClick = [this](TWFDBGridColumn& sender, const std::string& value) {
        WFDBGrid1Columns1Click(sender, value);
    };
}

void TWFForm4::buildDeleteConfirmation() {
    WFRegion8 = PlaceControl<TWFRegion>(*this, "WFRegion8", 320, 224, 369, 97);
    WFRegion8->Visible = false;
    WFRegion8->Anchors = kFloating;
    WFRegion8->BorderOptions.Color = clWebMEDIUMAQUAMARINE;
    WFRegion8->Color = 16318193;
    WFLabel16 = label(*WFRegion8, "WFLabel16", 16, 8, "提示：");
    WFLabel18 = PlaceControl<TWFLabel>(*WFRegion8, "WFLabel18", 8, 40, 353);
    WFLabel18->Alignment = TAlignment::taCenter;
    WFLabel18->AutoSize = false;
    WFLabel17 = PlaceControl<TWFLabel>(*WFRegion8, "WFLabel17", 16, 72);
    WFLabel17->Visible = false;
    WFLink7 = link(*WFRegion8, "WFLink7", 112, 72, "【删除】");
    WFLink7->OnClick = [this](TWFControl& sender) { WFLink7Click(sender); };
    WFLink8 = link(*WFRegion8, "WFLink8", 200, 72, "【取消】");
    WFLink8->OnClick = [this](TWFControl& sender) { WFLink8Click(sender); };
}

void TWFForm4::buildAddPanel() {
    WFRegion2 = PlaceControl<TWFRegion>(*this, "WFRegion2", 168, 184, 650, 369);
    WFRegion2->Visible = false;
    WFRegion2->Anchors = kFloating;
    WFRegion2->BorderOptions.Color = 8495039;
    WFRegion2->Color = 15595518;

    WFLabel3 = panelHeading(*WFRegion2, "WFLabel3", "新增试题");
    WFLink5 = link(*WFRegion2, "WFLink5", 584, 11, "【关闭】");
    WFLink5->Font.Size = 9;
    WFLink5->OnClick = [this](TWFControl& sender) { WFLink5Click(sender); };
    WFRegion5 = plainRegion(*WFRegion2, "WFRegion5", 5, 32, 640, 3, 8495039);

    WFLabel4 = label(*WFRegion2, "WFLabel4", 8, 72, "题目");
    WFMemo1 = PlaceControl<TWFMemo>(*WFRegion2, "WFMemo1", 80, 72, 545, 73);

    WFLabel5 = label(*WFRegion2, "WFLabel5", 8, 176, "选项");
    WFText1 = PlaceControl<TWFText>(*WFRegion2, "WFText1", 48, 176, 32, 129);
    WFText1->Font.Size = 12;
    WFText1->Lines = kOptionPrefixes;
    WFMemo2 = PlaceControl<TWFMemo>(*WFRegion2, "WFMemo2", 80, 176, 545, 129);
    WFMemo2->Font.Size = 12;
    WFMemo2->HorizScrollBar = true;
    WFMemo2->VertScrollBar = false;

    // Added after the options box so that its value is posted, and applied, after the
    // box's: choosing true/false fills the box with the two options, and the box's own
    // posted text must not overwrite them.
    WFRadioGroup4 = PlaceControl<TWFRadioGroup>(*WFRegion2, "WFRadioGroup4", 80, 44, 220, 17);
    WFRadioGroup4->Layout = TWFGroupLayout::glHorizontal;
    WFRadioGroup4->Items = {"单选题", "多选题", "判断题"};
    WFRadioGroup4->ItemIndex = 0;
    WFRadioGroup4->OnClick = [this](TWFControl& sender) { WFRadioGroup4Click(sender); };

    WFLabel6 = label(*WFRegion2, "WFLabel6", 340, 318, "该题分值");
    WFEdit2 = PlaceControl<TWFEdit>(*WFRegion2, "WFEdit2", 408, 314, 60);
    WFEdit2->Text = "1";

    WFLabel7 = label(*WFRegion2, "WFLabel7", 8, 318, "正确答案");
    WFRadioGroup5 = PlaceControl<TWFRadioGroup>(*WFRegion2, "WFRadioGroup5", 80, 316, 240, 17);
    WFRadioGroup5->Layout = TWFGroupLayout::glHorizontal;
    WFRadioGroup5->Items = {"A", "B", "C", "D", "E", "F"};
    WFRadioGroup5->ItemIndex = -1;
    WFRegion3 = plainRegion(*WFRegion2, "WFRegion3", 80, 314, 240, 21, clNone);
    WFRegion3->Visible = false;
    TWFCheckBox** boxes[] = {&xA, &xB, &xC, &xD, &xE, &xF};
    for (std::size_t i = 0; i < kOptionPrefixes.size(); ++i) {
        const std::string letter(1, static_cast<char>('A' + i));
        TWFCheckBox* box =
            PlaceControl<TWFCheckBox>(*WFRegion3, ("x" + letter).c_str(), static_cast<int>(i) * 40, 0, 38);
        box->Caption = letter;
        *boxes[i] = box;
    }

    WFButton1 = PlaceControl<TWFButton>(*WFRegion2, "WFButton1", 530, 312, 95, 25);
    WFButton1->Caption = "增加";
    WFButton1->OnClick = [this](TWFControl& sender) { WFButton1Click(sender); };
    WFButton5 = PlaceControl<TWFButton>(*WFRegion2, "WFButton5", 530, 312, 95, 25);
    WFButton5->Caption = "保存修改";
    WFButton5->Visible = false;
    WFButton5->OnClick = [this](TWFControl& sender) { WFButton5Click(sender); };
    WFLabel8 = label(*WFRegion2, "WFLabel8", 8, 346, "注意：选项内容如果只在题目中显示，备选项请留空！");
    WFLabel8->Font.Size = 9;
}

void TWFForm4::buildImportPanel() {
    WFRegion9 = PlaceControl<TWFRegion>(*this, "WFRegion9", 168, 184, 650, 369);
    WFRegion9->Visible = false;
    WFRegion9->Anchors = kFloating;
    WFRegion9->BorderOptions.Color = 8495039;
    WFRegion9->Color = 15595518;
    panelHeading(*WFRegion9, "WFLabel22", "从栎川云载入试题数据");
    WFLink11 = link(*WFRegion9, "WFLink11", 584, 11, "【关闭】");
    WFLink11->Font.Size = 9;
    WFLink11->OnClick = [this](TWFControl& sender) { WFLink11Click(sender); };
    plainRegion(*WFRegion9, "WFRegion13", 5, 32, 640, 3, 8495039);
    label(*WFRegion9, "WFLabel23", 8, 48, "云考试编号");
    PlaceControl<TWFEdit>(*WFRegion9, "WFEdit3", 96, 46, 137);
    PlaceControl<TWFButton>(*WFRegion9, "WFButton2", 248, 44, 89, 25)->Caption = "查看习题";
    label(*WFRegion9, "WFLabel24", 352, 48, "点此查找栎川云中的共享试题");
    label(*WFRegion9, "WFLabel25", 8, 80, "试题预览");
    PlaceControl<TWFMemo>(*WFRegion9, "WFMemo3", 8, 100, 633, 225);
    PlaceControl<TWFButton>(*WFRegion9, "WFButton3", 552, 334, 89, 25)->Caption = "载入";
}

// Shows the exam's name, tag and switches, then its questions.
void TWFForm4::WFAppFormCreate() {
    WFLabel1->Caption = UserSession().ExamId;
    db::Query& tem = UserSession().tem;
    OpenStatement(tem, "select * from test where id=?", {examKey(WFLabel1->Caption)});
    if (!tem.IsEmpty()) {
        WFEdit1->Text = tem.FieldByName("考试名称").AsString();
        WFEdit4->Text = tem.FieldByName("考试标识").AsString();
        s1->ItemIndex = static_cast<int>(tem.FieldByName("set1").AsInteger());
        s2->ItemIndex = static_cast<int>(tem.FieldByName("set2").AsInteger());
        s3->ItemIndex = static_cast<int>(tem.FieldByName("set3").AsInteger());
        s4->ItemIndex = hintSwitchIndex(tem.FieldByName("set4").AsInteger());
        s5->ItemIndex = static_cast<int>(tem.FieldByName("set5").AsInteger());
        WFEdit5->Text = std::to_string(tem.FieldByName("考试时限").AsInteger());
    }
    WFLink4Click(*WFLink4);
}

void TWFForm4::WFLink1Click(TWFControl&) {
    ExecuteStatement(UserSession().tem, "update test  set 考试名称=? where id=?",
                     {WFEdit1->Text, examKey(UserSession().ExamId)});
    web::CurrentSession()->ShowMessage("考试名称修改完成！！！");
}

void TWFForm4::WFLink9Click(TWFControl&) {
    ExecuteStatement(UserSession().tem, "update test  set 考试标识=? where id=?",
                     {WFEdit4->Text, examKey(UserSession().ExamId)});
    web::CurrentSession()->ShowMessage("考试标识修改完成！！！");
}

void TWFForm4::s1Click(TWFControl&) {
    writeSwitch("set1", *s1);
}
void TWFForm4::s2Click(TWFControl&) {
    writeSwitch("set2", *s2);
}
void TWFForm4::s3Click(TWFControl&) {
    writeSwitch("set3", *s3);
}
// The hint is stored the other way round (1 shows it): "启用" writes 1, "关闭" writes 0.
void TWFForm4::s4Click(TWFControl&) {
    if (s4->ItemIndex != 0 && s4->ItemIndex != 1) return;
    ExecuteStatement(UserSession().tem, "update test  set set4=?  where id=?",
                     {s4->ItemIndex == 0 ? 1 : 0, examKey(WFLabel1->Caption)});
}
void TWFForm4::s5Click(TWFControl&) {
    writeSwitch("set5", *s5);
}

// Only the two choices are stored; a group left without a choice writes nothing.
void TWFForm4::writeSwitch(const char* column, const TWFRadioGroup& group) {
    if (group.ItemIndex != 0 && group.ItemIndex != 1) return;
    ExecuteStatement(UserSession().tem, std::string("update test  set ") + column + "=?  where id=?",
                     {group.ItemIndex, examKey(WFLabel1->Caption)});
}

void TWFForm4::WFLink4Click(TWFControl&) {
    db::Query& list = UserSession().ADOQuery1;
    list.Close();
    list.SQL().Clear();
    list.SQL().Add(
        "select id as 编号,wid,题目,题型,候选项,答案,分数,'编辑' as 操作 from tm where testid=? ORDER BY id "
        "DESC");
    list.Params({examKey(UserSession().ExamId)});
    list.Open();
}

void TWFForm4::WFLink3Click(TWFControl&) {
    showPanelMode(false);
    WFRegion2->Visible = true;
    WFMemo1->Lines = std::vector<std::string>{};
    WFMemo2->Lines = std::vector<std::string>{};
}

void TWFForm4::WFRadioGroup4Click(TWFControl&) {
    switch (WFRadioGroup4->ItemIndex) {
        case 0:
            WFRadioGroup5->Visible = true;
            WFRegion3->Visible = false;
            break;
        case 1:
            WFRadioGroup5->Visible = false;
            WFRegion3->Visible = true;
            break;
        case 2:
            WFMemo2->Lines = std::vector<std::string>{"对", "错"};
            break;
        default:
            break;
    }
}

// A single choice takes the letter chosen in the radio group; every other case the ticked
// boxes, in letter order, whether they are shown or not.
std::string TWFForm4::correctAnswer() const {
    const int chosen = WFRadioGroup5->ItemIndex;
    if (WFRadioGroup4->ItemIndex == 0 && chosen >= 0 &&
        chosen < static_cast<int>(WFRadioGroup5->Items.size())) {
        return WFRadioGroup5->Items[static_cast<std::size_t>(chosen)];
    }
    std::string letters;
    for (const TWFCheckBox* box : {xA, xB, xC, xD, xE, xF}) {
        if (box->Checked) letters += box->Caption;
    }
    return letters;
}

QuestionDraft TWFForm4::draft() const {
    QuestionDraft draft;
    const int type = WFRadioGroup4->ItemIndex;
    if (type >= 0 && type < static_cast<int>(WFRadioGroup4->Items.size())) {
        draft.type = WFRadioGroup4->Items[static_cast<std::size_t>(type)];
    }
    draft.text = WFMemo1->Lines.Text();
    draft.options = WFMemo2->Lines.Text();
    draft.points = WFEdit2->Text;
    draft.answer = correctAnswer();
    return draft;
}

void TWFForm4::WFButton1Click(TWFControl&) {
    QuestionBank bank(UserSession().ADOConnection1);
    const std::string refusal = bank.add(examKey(UserSession().ExamId), draft());
    if (!refusal.empty()) {
        web::CurrentSession()->ShowMessage(refusal);
        return;
    }

    WFMemo1->Lines = std::vector<std::string>{};
    WFMemo2->Lines = std::vector<std::string>{};
    WFRadioGroup5->ItemIndex = -1;
    for (TWFCheckBox* box : {xA, xB, xC, xD, xE, xF}) box->Checked = false;
}

void TWFForm4::WFLink5Click(TWFControl&) {
    UserSession().yccon.Close();
    WFRegion2->Visible = false;
    showPanelMode(false);
    WFLink4Click(*WFLink4);
}

void TWFForm4::WFDBGrid1Columns1Click(TWFDBGridColumn&, const std::string& value) {
    WFLabel17->Caption = value;
    WFRegion8->Visible = true;
    WFLabel18->Caption = "您确实要删除该题目及成绩信息吗？";
}

// The question's answers and the question go together or not at all.
void TWFForm4::WFLink7Click(TWFControl&) {
    std::int64_t questionId = 0;
    if (web::text::parseInt64(WFLabel17->Caption, questionId)) {
        QuestionBank(UserSession().ADOConnection1).remove(questionId);
    }
    WFLink4Click(*WFLink4);
    WFRegion8->Visible = false;
}

void TWFForm4::WFLink8Click(TWFControl&) {
    WFRegion8->Visible = false;
}

void TWFForm4::WFLink6Click(TWFControl&) {
    UserSession().MoveToPage<TWFForm6>();
}

void TWFForm4::WFLink2Click(TWFControl&) {
    UserSession().MoveToPage<TWFForm3>();
}

void TWFForm4::WFLink13Click(TWFControl&) {
    const TimeLimitCheck check = CheckTimeLimit(WFEdit5->Text);
    if (!check.refusal.empty()) {
        web::CurrentSession()->ShowMessage(check.refusal);
        return;
    }
    ExecuteStatement(UserSession().tem, "update test  set 考试时限=?  where id=?",
                     {check.minutes, examKey(WFLabel1->Caption)});
    WFEdit5->Text = std::to_string(check.minutes);
    web::CurrentSession()->ShowMessage("考试时限修改完成！！！");
}

// The panel adds ("增加") or rewrites the question opened by "编辑" ("保存修改").
void TWFForm4::showPanelMode(bool editing) {
    WFLabel3->Caption = editing ? "修改试题" : "新增试题";
    WFButton1->Visible = !editing;
    WFButton5->Visible = editing;
    if (!editing) editedQuestion_.reset();
}

void TWFForm4::showAnswerControls(bool letters) {
    WFRadioGroup5->Visible = !letters;
    WFRegion3->Visible = letters;
}

// The question as the editor would have taken it: the options without their "A." … "F."
// prefixes, the answer as a letter of the radio group (single choice) or as ticked boxes.
void TWFForm4::fillPanel(const std::string& type, const std::string& text, const std::string& options,
                         const std::string& answer, const std::string& points) {
    WFRadioGroup4->ItemIndex = -1;
    for (std::size_t i = 0; i < WFRadioGroup4->Items.size(); ++i) {
        if (WFRadioGroup4->Items[i] == type) WFRadioGroup4->ItemIndex = static_cast<int>(i);
    }
    WFMemo1->Lines = QuestionLines(text);
    std::vector<std::string> lines = QuestionLines(options);
    for (std::size_t i = 0; i < lines.size() && i < kOptionPrefixes.size(); ++i) {
        if (lines[i].starts_with(kOptionPrefixes[i])) lines[i].erase(0, kOptionPrefixes[i].size());
    }
    WFMemo2->Lines = lines;
    WFEdit2->Text = points;
    const bool oneLetter = WFRadioGroup4->ItemIndex == 0 && answer.size() == 1;
    showAnswerControls(!oneLetter);
    WFRadioGroup5->ItemIndex = -1;
    for (TWFCheckBox* box : {xA, xB, xC, xD, xE, xF}) {
        box->Checked = !oneLetter && answer.find(box->Caption) != std::string::npos;
    }
    for (std::size_t i = 0; oneLetter && i < WFRadioGroup5->Items.size(); ++i) {
        if (WFRadioGroup5->Items[i] == answer) WFRadioGroup5->ItemIndex = static_cast<int>(i);
    }
}

void TWFForm4::WFDBGrid1Columns6Click(TWFDBGridColumn&, const std::string& value) {
    std::int64_t questionId = 0;
    if (!web::text::parseInt64(value, questionId)) return;
    db::Query& tem = UserSession().tem;
    OpenStatement(tem, "select 题型,题目,候选项,答案,分数 from tm where id=? and testid=?",
                  {questionId, examKey(UserSession().ExamId)});
    if (tem.IsEmpty()) {
        web::CurrentSession()->ShowMessage(std::string(kQuestionGone));
        WFLink4Click(*WFLink4);
        return;
    }
    fillPanel(tem.FieldByName("题型").AsString(), tem.FieldByName("题目").AsString(),
              tem.FieldByName("候选项").AsString(), tem.FieldByName("答案").AsString(),
              db::formatNumber(tem.FieldByName("分数").AsFloat()));
    showPanelMode(true);
    editedQuestion_ = questionId;
    WFRegion2->Visible = true;
}

void TWFForm4::WFButton5Click(TWFControl&) {
    if (!editedQuestion_) return;
    QuestionBank bank(UserSession().ADOConnection1);
    const std::string refusal = bank.update(*editedQuestion_, examKey(UserSession().ExamId), draft());
    if (!refusal.empty()) {
        web::CurrentSession()->ShowMessage(refusal);
        return;
    }
    WFRegion2->Visible = false;
    showPanelMode(false);
    WFLink4Click(*WFLink4);
    web::CurrentSession()->ShowMessage("试题修改完成！！！");
}

void TWFForm4::WFLink10Click(TWFControl&) {
    WFRegion9->Visible = true;
}

void TWFForm4::WFLink11Click(TWFControl&) {
    WFRegion9->Visible = false;
}

}  // namespace exam

namespace exam {

void TWFForm4::WFLink12Click(web::forms::TWFControl&) {
    importPanel->Show();
}

}  // namespace exam
