#pragma once

#include <string>
#include <utility>
#include <vector>

#include "web/server/TWFBrowser.h"

namespace web::forms {

class TWFControl;

// What one rendering of a page collects: style rules, the script parts of the page's
// script block, the script files, validations and the fields of SubmitForm. It exists
// only during the render.
class TWFPageContext40 {
public:
    explicit TWFPageContext40(web::TWFBrowser browser, std::string userAgent = "")
        : browser_(browser), userAgent_(std::move(userAgent)) {}

    web::TWFBrowser browser() const { return browser_; }
    const std::string& userAgent() const { return userAgent_; }

    std::string styleRules;
    std::string pageScript;
    std::string wfclInitScript;
    std::string initScript;
    std::string lockReleasePart;
    std::string focusPart;
    std::string deferredPart;
    std::string controlPart;
    std::vector<std::pair<std::string, std::string>> validations;
    std::string extraHeader;

    // Each addition is followed by CR LF unless the text already ends its only line.
    void AddPageScript(const std::string& text);
    void AddWFCLInitScript(const std::string& text) { wfclInitScript += text + "\r\n"; }
    void AddInitScript(const std::string& text) { initScript += text + "\r\n"; }
    void AddControlPart(const std::string& text) { controlPart += text + "\r\n"; }
    // Returns the position of the file in the list (an existing entry keeps its place).
    std::size_t AddScriptFile(const std::string& file);
    const std::vector<std::string>& scriptFiles() const { return scriptFiles_; }
    // A field of SubmitForm, once per name.
    void AddSubmitField(const std::string& name);
    const std::vector<std::string>& submitFields() const { return submitFields_; }

    // The controls of the last render, by HTML name, for finding the one that fired.
    std::vector<std::pair<std::string, TWFControl*>> rendered;

private:
    web::TWFBrowser browser_;
    std::string userAgent_;
    std::vector<std::string> scriptFiles_;
    std::vector<std::string> submitFields_;
};

}  // namespace web::forms
