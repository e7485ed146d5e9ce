#include "web/forms/controls/TWFTimer.h"

#include "web/forms/TWFPageContext40.h"

namespace web::forms {

TWFTimer::TWFTimer(std::string name) : TWFControl(std::move(name), 0, 0) {}

// The delay starts when the page has loaded; its end posts the page with the timer's name,
// no parameter, no validation and no question.
void TWFTimer::addScripts(TWFPageContext40& context) {
    std::string variable = "WFTop()." + HtmlName() + "_ID";
    if (!runs()) {
        context.AddInitScript(variable + "=null;\r\n");
        return;
    }
    context.AddControlPart(variable + "=setTimeout('WFTop().SubmitClickConfirm(\"" + HtmlName() +
                           "\",\"\", false,\"\")'," + std::to_string(Interval) + ");\r\n");
}

void TWFTimer::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (runs() && OnTimer) OnTimer(*this);
}

}  // namespace web::forms
