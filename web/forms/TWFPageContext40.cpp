#include "web/forms/TWFPageContext40.h"

#include <algorithm>

namespace web::forms {

void TWFPageContext40::AddPageScript(const std::string& text) {
    pageScript += text;
    std::size_t firstBreak = text.find("\r\n");
    bool endsItsOnlyLine = firstBreak != std::string::npos && firstBreak + 2 == text.size();
    if (!endsItsOnlyLine) pageScript += "\r\n";
}

std::size_t TWFPageContext40::AddScriptFile(const std::string& file) {
    auto found = std::find(scriptFiles_.begin(), scriptFiles_.end(), file);
    if (found != scriptFiles_.end()) return static_cast<std::size_t>(found - scriptFiles_.begin());
    scriptFiles_.push_back(file);
    return scriptFiles_.size() - 1;
}

void TWFPageContext40::AddSubmitField(const std::string& name) {
    if (std::find(submitFields_.begin(), submitFields_.end(), name) == submitFields_.end()) {
        submitFields_.push_back(name);
    }
}

}  // namespace web::forms
