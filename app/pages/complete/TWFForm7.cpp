#include "app/pages/complete/TWFForm7.h"

#include "app/HostTexts.h"
#include "app/PageControls.h"
#include "app/PageFrames.h"
#include "app/PageQueries.h"
#include "app/TWFUserSession.h"
#include "app/VendorServices.h"
#include "web/server/HtmlEscape.h"
#include "web/server/TWFApplication.h"

namespace exam {

using namespace web::forms;

namespace {

// The line of the host's text list that names where a browser goes after a hand-in.
constexpr std::size_t kAfterHandInAddressLine = 3;
constexpr std::string_view kAutomaticHandInNote = "（考试时间已到，试卷已自动提交）";

// The paper just handed in: the newest result of this name for the exam. A name hands in
// once per exam tag, so older results of the name belong to other tags and other papers.
struct HandedInPaper {
    std::string score;
    std::string tag;
    bool automatic = false;
};

HandedInPaper handedInPaper(db::Query& tem, const TWFUserSession& session) {
    OpenStatement(tem, "select 成绩,考试标识,自动交卷 from cj where testid=? and 姓名=? order by rowid desc",
                  {session.ExamId, session.CandidateName});
    return {tem.FieldByName("成绩").AsString(), tem.FieldByName("考试标识").AsString(),
            tem.FieldByName("自动交卷").AsInteger() != 0};
}

}  // namespace

TWFForm7::TWFForm7() : TWFAppForm("WFForm7", "TWFForm7", 1000, 492) {
    ApplyExamPageSettings(*this, "交卷完成---栎川考试系统");
    PlaceHeaderFrame(*this, 10, 0);

    WFRegion1 = &AddMainRegion(*this, 349);

    WFLabel1 = PlaceControl<TWFLabel>(*WFRegion1, "WFLabel1", 448, 96);
    WFLabel1->Font.FontName = "黑体";
    WFLabel1->Font.Size = 16;
    WFLabel1->Font.Color = 732280;
    WFLabel1->Caption = "交卷成功";

    WFLabel2 = PlaceControl<TWFLabel>(*WFRegion1, "WFLabel2", 200, 160, 585);
    WFLabel2->AutoSize = false;
    WFLabel2->Alignment = TAlignment::taCenter;
    WFLabel2->Font.Size = 12;

    WFText1 = PlaceControl<TWFText>(*WFRegion1, "WFText1", 288, 208, 457, 49);
    WFText1->RawText = true;
    WFText1->WantReturns = true;

    temmemo = &WFRegion1->Add(std::make_unique<TWFMemo>("temmemo"));
    temmemo->Visible = false;

    WFTimer1 = &Add(std::make_unique<TWFTimer>("WFTimer1"));
    WFTimer1->Enabled = true;
    WFTimer1->Interval = 10000;
    WFTimer1->OnTimer = [this](TWFControl& sender) { WFTimer1Timer(sender); };

    PlaceFooterFrame(*this, 8, 424, 60);
    WFAppFormCreate();
}

void TWFForm7::WFAppFormCreate() {
    TWFUserSession& session = UserSession();
    db::Query& tem = session.tem;
    OpenStatement(tem, "select set1 from test where id=?", {session.ExamId});
    const bool showScore = tem.FieldByName("set1").AsInteger() == 0;
    const HandedInPaper paper = handedInPaper(tem, session);
    if (showScore) WFLabel2->Caption = "姓名：" + session.CandidateName + "  成绩：" + paper.score;
    // A paper the server handed in tells the candidate so, and under which name it is
    // kept (one made up when none was typed), whether or not the score is shown.
    if (paper.automatic) {
        if (!showScore) WFLabel2->Caption = "姓名：" + session.CandidateName;
        WFLabel2->Caption += "  " + std::string(kAutomaticHandInNote);
    }
    OpenStatement(tem, "select set5 from test where id=?", {session.ExamId});
    if (tem.FieldByName("set5").AsInteger() != 0) return;
    buildReviewForm();
}

// The hidden form that posts the answer sheet to the vendor's review page: the list of
// questions marked right or wrong and, per question, its details. Question and option
// texts are the administrator's markup and go in as they are; the candidate's name is
// escaped, as it is text typed in the browser.
void TWFForm7::buildReviewForm() {
    TWFUserSession& session = UserSession();
    db::Query& tem = session.tem;
    OpenStatement(tem, "select 考试名称 from test where id=?", {session.ExamId});
    const std::string examName = tem.FieldByName("考试名称").AsString();
    const HandedInPaper paper = handedInPaper(tem, session);
    OpenStatement(
        tem,
        "select tm.id as 题目编号,题目,题型,候选项,答案,分数,zd from tm,dtxb where tm.id=dtxb.tmid and "
        "tm.testid=? and dtxb.xm=? and dtxb.考试标识=?",
        {session.ExamId, session.CandidateName, paper.tag});

    std::vector<std::string>& lines = WFText1->Lines;
    lines.clear();
    lines.push_back("<form id=\"upym\" name=\"upym\" method=\"post\" target=\"_blank\"  action=\"" +
                    VendorAnswerReviewAddress() + "\">");
    lines.push_back("<input name=\"testname\" type=\"hidden\" id=\"testname\" value=\"" +
                    web::AttributeValue(examName) + "\" />");
    lines.push_back("<input name=\"testxm\" type=\"hidden\" id=\"testxm\" value=\"" +
                    web::HtmlValue(session.CandidateName) + "\" /> ");
    lines.push_back("<input name=\"testcj\" type=\"hidden\" id=\"testcj\" value=\"" + paper.score + "\" />");
    lines.push_back("<input name=\"testtil\" type=\"hidden\" id=\"testmemo\" value='");
    temmemo->Lines.Clear();
    for (tem.First(); !tem.Eof(); tem.Next()) {
        const std::string id = tem.FieldByName("题目编号").AsString();
        const std::string text = tem.FieldByName("题目").AsString();
        const std::string answer = tem.FieldByName("答案").AsString();
        const std::string given = tem.FieldByName("zd").AsString();
        const bool right = answer == given;
        lines.push_back(
            std::string(right ? "<li class=\"tilok\"><a href=\"#" : "<li class=\"tilerr\"><a href=\"#") + id +
            "\">" + (right ? "[对]" : "[错]") + text + "</a></li>");
        temmemo->Lines.Add("<div class=\"nr\"> <div class=\"bh\"><a name=\"" + id + "\" id=\"" + id +
                           "\"></a>题目编号：" + id + " </div>");
        temmemo->Lines.Add("<div class=\"tx\">题型:" + tem.FieldByName("题型").AsString() +
                           "</div><div class=\"fz\">分值:" + tem.FieldByName("分数").AsString() +
                           " 分</div> <div class=\"fh\">【<a href=\"#top\">返回题目列表</a>】</div>");
        temmemo->Lines.Add("<div class=\"tg\">" + text + "</div>");
        temmemo->Lines.Add("<div class=\"hxx\">");
        temmemo->Lines.Add(tem.FieldByName("候选项").AsString());
        temmemo->Lines.Add(std::string(right ? "</div><div class=\"zdok\">标准答案："
                                             : "</div><div class=\"zderr\">标准答案：") +
                           answer + " 您的作答：" + given + "</div></div>");
    }
    lines.push_back("' />");
    lines.push_back("<input name=\"testmemo\" type=\"hidden\" id=\"testmemo\" value='");
    lines.push_back(temmemo->Lines.Text());
    lines.push_back("' /> ");
    lines.push_back(
        "<div align=\"center\"><input type=\"submit\" name=\"button\" id=\"button\" "
        "value=\"点击查看答题详情\" "
        "/></div></form> ");
}

// Ends the session and sends the browser to the host's address for it; without such an
// address (a short list), back to the start address.
void TWFForm7::WFTimer1Timer(TWFControl&) {
    const std::optional<std::string> address = Memo1Line(kAfterHandInAddressLine);
    web::CurrentSession()->TerminateAndRedirect(address && !address->empty() ? *address : "/");
}

}  // namespace exam
