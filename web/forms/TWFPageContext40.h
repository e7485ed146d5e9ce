#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/forms/TextParts.h"
#include "web/server/TWFBrowser.h"

namespace web::forms {

class TWFControl;

// What one rendering of a page collects: style rules, the script parts of the page's
// script block, the script files, validations and the fields of SubmitForm. It exists
// only during the render.
class TWFPageContext40 {
public:
    explicit TWFPageContext40(web::TWFBrowser browser, std::string userAgent = "")
        : browser_(browser), userAgent_(std::move(userAgent)) {
        // The scripts of an exam page run to several kilobytes; grown from empty they
        // would be copied a dozen times each.
        pageScript.reserve(kScriptReserve);
        wfclInitScript.reserve(kScriptReserve);
        styleRules.reserve(kScriptReserve);
    }

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

    // The texts above that controls add to, in a fixed order.
    static constexpr std::size_t kTextCount = 9;
    std::array<std::string*, kTextCount> texts() {
        return {&styleRules, &pageScript,   &wfclInitScript, &initScript, &lockReleasePart,
                &focusPart,  &deferredPart, &controlPart,    &extraHeader};
    }
    std::array<const std::string*, kTextCount> texts() const {
        return {&styleRules, &pageScript,   &wfclInitScript, &initScript, &lockReleasePart,
                &focusPart,  &deferredPart, &controlPart,    &extraHeader};
    }

    // Each addition is followed by CR LF unless the text already ends its only line.
    void AddPageScript(const std::string& text);
    void AddWFCLInitScript(std::string_view text) { appendParts(wfclInitScript, text, "\r\n"); }
    void AddInitScript(std::string_view text) { appendParts(initScript, text, "\r\n"); }
    void AddControlPart(std::string_view text) { appendParts(controlPart, text, "\r\n"); }
    // One line of the layout objects' set-up, given in parts.
    template <typename... Parts>
    void AddWFCLInitLine(const Parts&... parts) {
        appendParts(wfclInitScript, parts..., "\r\n");
    }
    // Returns the position of the file in the list (an existing entry keeps its place).
    std::size_t AddScriptFile(const std::string& file);
    const std::vector<std::string>& scriptFiles() const { return scriptFiles_; }
    // A field of SubmitForm, once per name.
    void AddSubmitField(const std::string& name);
    const std::vector<std::string>& submitFields() const { return submitFields_; }

    // The controls of the last render, by HTML name, for finding the one that fired.
    std::vector<std::pair<std::string, TWFControl*>> rendered;

private:
    static constexpr std::size_t kScriptReserve = 8192;

    web::TWFBrowser browser_;
    std::string userAgent_;
    std::vector<std::string> scriptFiles_;
    std::vector<std::string> submitFields_;
};

}  // namespace web::forms
