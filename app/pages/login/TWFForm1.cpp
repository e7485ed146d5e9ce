#include "app/pages/login/TWFForm1.h"

#include "app/LoginThrottle.h"
#include "app/PageFrames.h"
#include "app/PageQueries.h"
#include "app/TWFUserSession.h"
#include "app/pages/examlist/TWFForm3.h"
#include "app/pages/home/TWFForm2.h"
#include "web/server/TWFApplication.h"
#include "web/server/Text.h"

namespace exam {

using namespace web::forms;

TWFForm1::TWFForm1() : TWFAppForm("WFForm1", "TWFForm1", 1000, 539) {
    ApplyExamPageSettings(*this, "登录管理平台---栎川考试系统");

    WFRegion1 = &Add(std::make_unique<TWFRegion>("WFRegion1"));
    WFRegion1->Left = 290;
    WFRegion1->Top = 144;
    WFRegion1->Width = 420;
    WFRegion1->Height = 169;
    WFRegion1->Anchors = TWFAnchors{false, true, false, false};
    WFRegion1->BorderOptions.Color = clWebTAN;
    WFRegion1->Color = clWebWHITE;

    WFLabel1 = &WFRegion1->Add(std::make_unique<TWFLabel>("WFLabel1"));
    WFLabel1->Left = 8;
    WFLabel1->Top = 8;
    WFLabel1->Caption = "请输入管理密码";

    WFLink1 = &WFRegion1->Add(std::make_unique<TWFLink>("WFLink1"));
    WFLink1->Left = 352;
    WFLink1->Top = 8;
    WFLink1->Width = 57;
    WFLink1->Height = 17;
    WFLink1->Font.Size = 9;
    WFLink1->Caption = "【返回】";
    WFLink1->DoSubmitValidation = false;
    WFLink1->OnClick = [this](TWFControl& sender) { WFLink1Click(sender); };

    WFRegion5 = &WFRegion1->Add(std::make_unique<TWFRegion>("WFRegion5"));
    WFRegion5->Left = 5;
    WFRegion5->Top = 32;
    WFRegion5->Width = 410;
    WFRegion5->Height = 3;
    WFRegion5->Color = 8495039;
    WFRegion5->BorderOptions.Style = TWFBorderStyle::cbsNone;

    WFEdit1 = &WFRegion1->Add(std::make_unique<TWFEdit>("WFEdit1"));
    WFEdit1->Left = 50;
    WFEdit1->Top = 56;
    WFEdit1->Width = 320;
    WFEdit1->Height = 21;
    WFEdit1->PasswordPrompt = true;
    WFEdit1->TabOrder = 0;
    // Enter in the password field logs in like the button; the prompt is the field's label.
    WFEdit1->OnSubmit = [this](TWFControl& sender) { WFButton1Click(sender); };
    WFLabel1->FocusControl = WFEdit1;

    WFButton1 = &WFRegion1->Add(std::make_unique<TWFButton>("WFButton1"));
    WFButton1->Left = 48;
    WFButton1->Top = 88;
    WFButton1->Width = 321;
    WFButton1->Height = 25;
    WFButton1->Caption = "确定";
    WFButton1->TabOrder = 1;
    WFButton1->OnClick = [this](TWFControl& sender) { WFButton1Click(sender); };

    PlaceFooterFrame(*this, 10, 470);
}

// The password is checked only while the client's address is not locked; each wrong one
// counts against the address.
void TWFForm1::WFButton1Click(TWFControl&) {
    web::TWFApplication& session = *web::CurrentSession();
    LoginThrottle& throttle = LoginThrottle::Shared();
    const std::string& address = session.ClientIP();
    if (!throttle.Allowed(address)) {
        session.ShowMessage("密码错误次数过多，请稍后再试！");
        return;
    }
    if (!passwordMatches(web::text::trim(WFEdit1->Text))) {
        throttle.RecordFailure(address);
        session.ShowMessage("密码错误！");
        return;
    }
    UserSession().MoveToPage<TWFForm3>();
}

void TWFForm1::WFLink1Click(TWFControl&) {
    UserSession().MoveToPage<TWFForm2>();
}

bool TWFForm1::passwordMatches(const std::string& password) {
    db::Query& tem = UserSession().tem;
    OpenStatement(tem, "select 1 from shezhi where setx='pass' and setz=?", {password});
    return !tem.IsEmpty();
}

}  // namespace exam
