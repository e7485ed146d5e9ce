// The basic-controls page of the browser tests: a memo echoed back with the bytes the
// server received, a link that counts its clicks, a timer started by a button that ticks
// once, and an image that reports where it was pressed.
#include <cstdio>
#include <memory>
#include <string>

#include "tests/formsserver/TestPages.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFImageFile.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFTimer.h"

namespace {

using namespace web::forms;

// "61 0D 0A": the bytes of a text in hexadecimal, so a test sees exactly what arrived.
std::string hexBytes(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X", c);
        out += (out.empty() ? "" : " ") + std::string(byte);
    }
    return out;
}

template <typename Control>
Control& place(TWFAppForm& page, const std::string& name, int left, int top, int tabOrder) {
    Control& control = page.Add(std::make_unique<Control>(name));
    control.Left = left;
    control.Top = top;
    control.TabOrder = tabOrder;
    return control;
}

class BasicControlsPage : public TWFAppForm {
public:
    BasicControlsPage() : TWFAppForm("BasicControlsPage", "TBasicControlsPage", 1000, 600) {
        Title = "Basic controls";
        auto& memo = place<TWFMemo>(*this, "WFMemo1", 20, 20, 0);
        memo.Width = 300;
        memo.Height = 100;
        auto& received = place<TWFLabel>(*this, "WFLabel1", 20, 140, 10);
        auto& echo = place<TWFButton>(*this, "WFButton1", 340, 20, 1);
        echo.Caption = "Echo";
        echo.OnClick = [&memo, &received](TWFControl&) { received.Caption = hexBytes(memo.ShownText()); };

        auto& clicks = place<TWFLabel>(*this, "WFLabel2", 120, 180, 11);
        clicks.Caption = "0";
        auto& link = place<TWFLink>(*this, "WFLink1", 20, 180, 2);
        link.Caption = "【计数】";
        link.OnClick = [this, &clicks](TWFControl&) { clicks.Caption = std::to_string(++linkClicks_); };

        auto& ticks = place<TWFLabel>(*this, "WFLabel3", 140, 220, 12);
        ticks.Caption = "0";
        auto& timer = place<TWFTimer>(*this, "WFTimer1", 0, 0, 3);
        timer.Enabled = false;
        timer.Interval = 1000;
        timer.OnTimer = [this, &timer, &ticks](TWFControl&) {
            timer.Enabled = false;
            ticks.Caption = std::to_string(++timerTicks_);
        };
        auto& start = place<TWFButton>(*this, "WFButton2", 20, 220, 4);
        start.Caption = "Start timer";
        start.OnClick = [&timer](TWFControl&) { timer.Enabled = true; };

        auto& pressedAt = place<TWFLabel>(*this, "WFLabel4", 260, 260, 13);
        auto& image = place<TWFImageFile>(*this, "WFImageFile1", 20, 260, 5);
        image.ImageFile.setFilename("til.jpg");
        image.Width = 200;
        image.Height = 50;
        image.SetUseSize(true);
        image.DoSubmitValidation = false;
        image.SetOnMouseDown([&pressedAt](TWFControl&, int x, int y) {
            pressedAt.Caption = std::to_string(x) + "," + std::to_string(y);
        });
    }

private:
    int linkClicks_ = 0;
    int timerTicks_ = 0;
};

const bool registered =
    forms_testserver::RegisterTestPage("basic", [] { return std::make_unique<BasicControlsPage>(); });

}  // namespace
