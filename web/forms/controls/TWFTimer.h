#pragma once

#include "web/forms/TWFControl.h"

namespace web::forms {

// Makes the browser post the page once Interval milliseconds after it loaded, and fires
// OnTimer for that post. The browser measures the time; the server keeps no clock.
class TWFTimer : public TWFControl {
public:
    explicit TWFTimer(std::string name);

    bool Enabled = true;
    int Interval = 1000;  // milliseconds
    TNotifyEvent OnTimer;

    bool isSubmitControl() const override { return true; }
    bool isEnabled() const override { return Enabled; }
    bool isNonVisual() const override { return true; }
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40&) override { return nullptr; }
    void addScripts(TWFPageContext40& context) override;
    // A timer that is switched off takes no tick, even when a post names it.
    void Submit(const std::string& parameter) override;

private:
    bool runs() const { return Enabled && Interval > 0; }
};

}  // namespace web::forms
