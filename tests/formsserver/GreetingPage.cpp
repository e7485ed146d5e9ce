// The greeting page of the browser tests: an edit, labels and buttons in an anchored region.
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "tests/formsserver/TestPages.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/server/TWFApplication.h"

namespace {

using namespace web::forms;

// A greeting form: the button echoes the edit's text into a label and counts its clicks.
class GreetingPage : public TWFAppForm {
public:
    GreetingPage() : TWFAppForm("GreetingPage", "TGreetingPage", 1000, 600) {
        Title = "Forms test";
        auto& region = Add(std::make_unique<TWFRegion>("WFRegion1"));
        region.Left = 10;
        region.Top = 10;
        region.Width = 980;
        region.Height = 500;
        region.Anchors = TWFAnchors{false, true, false, true};
        region.TabOrder = 0;
        auto& edit = region.Add(std::make_unique<TWFEdit>("WFEdit1"));
        edit.Left = 20;
        edit.Top = 20;
        edit.Width = 300;
        auto& greeting = region.Add(std::make_unique<TWFLabel>("WFLabel1"));
        greeting.Left = 20;
        greeting.Top = 60;
        auto& clicks = region.Add(std::make_unique<TWFLabel>("WFLabel2"));
        clicks.Left = 20;
        clicks.Top = 90;
        clicks.Caption = "0";
        auto& button = region.Add(std::make_unique<TWFButton>("WFButton1"));
        button.Left = 340;
        button.Top = 20;
        button.Caption = "Greet";
        // The handler takes a moment, as a page's database work may: the second click of a
        // double click then surely arrives while the first submit is on its way, the case
        // the page's locker is there for (a fast server could otherwise show the next page
        // between the two clicks, and that second click would rightly count).
        button.OnClick = [this, &edit, &greeting, &clicks](TWFControl&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ++clickCount_;
            greeting.Caption = "Hello, " + edit.Text;
            clicks.Caption = std::to_string(clickCount_);
        };
        auto& confirm = region.Add(std::make_unique<TWFButton>("WFButton2"));
        confirm.Left = 440;
        confirm.Top = 20;
        confirm.Caption = "Reset";
        confirm.Confirmation = "Reset the greeting?";
        confirm.OnClick = [&greeting](TWFControl&) { greeting.Caption = "reset"; };
        auto& alert = region.Add(std::make_unique<TWFButton>("WFButton3"));
        alert.Left = 540;
        alert.Top = 20;
        alert.Caption = "Alerts";
        alert.OnClick = [](TWFControl&) {
            web::CurrentSession()->ShowMessage("first");
            web::CurrentSession()->ShowMessage("second");
        };
    }

private:
    int clickCount_ = 0;
};

const bool registered =
    forms_testserver::RegisterTestPage("greeting", [] { return std::make_unique<GreetingPage>(); });

}  // namespace

