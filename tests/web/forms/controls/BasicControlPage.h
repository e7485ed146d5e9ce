#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "tests/support/RuntimeFixture.h"
#include "web/forms/TWFAppForm.h"
#include "web/server/TWFApplication.h"

namespace web::forms::testing_pages {

// A page in a session of its own for control tests: controls are added to `page`, the
// page is rendered for the chosen browser, and the parts a control adds are cut out.
class BasicControlPage : public ::testing::Test {
protected:
    BasicControlPage() : page("WFForm1", "TWFForm1", 1000, 679) { useBrowser(web::TWFBrowser::brSafari); }

    void useBrowser(web::TWFBrowser browser) {
        web::TWFSessionStart start;
        start.browserKind = browser;
        session_ = std::make_unique<web::TWFApplication>(start);
        session_->SetStartAddress("/EXEC/0/" + session_->SessionID());
    }

    template <typename Control>
    Control& add(std::string name, int tabOrder = 0) {
        Control& control = page.Add(std::make_unique<Control>(std::move(name)));
        control.TabOrder = tabOrder;
        return control;
    }

    // Renders the page; the parts below read this render.
    void render() { html_ = page.RenderDocument(*session_); }

    // The components written into the body, between the busy cursor and SubmitForm.
    std::string body() const {
        return between("cursor:wait;z-index:10000\"></div>\r\n", "<form method=\"POST\"");
    }
    std::string submitForm() const { return between("name=\"SubmitForm\"", "</form>"); }
    std::string styleRules() const { return between("<style type=\"text/css\">\r\n", "</style>"); }
    std::string pageScript() const {
        return between("<script type=\"text/javascript\">", "function InitWFCLObjects()");
    }
    std::string layoutScript() const {
        return between("function InitWFCLObjects() {", "}\r\nfunction Initialize()");
    }
    std::string initialize() const { return between("function Initialize() {", "}</script>"); }

    void post(std::initializer_list<std::pair<std::string, std::string>> pairs) {
        web::FieldList fields;
        for (const auto& [name, value] : pairs) fields.add(name, value);
        web::CurrentSessionScope current(session_.get());
        page.ProcessSubmit(fields);
    }

    static bool contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    testing_support::RuntimeFixture runtime_;
    TWFAppForm page;

private:
    std::string between(const std::string& from, const std::string& to) const {
        std::size_t start = html_.find(from);
        if (start == std::string::npos) return "<" + from + " missing>";
        start += from.size();
        std::size_t end = html_.find(to, start);
        return end == std::string::npos ? "<" + to + " missing>" : html_.substr(start, end - start);
    }

    std::unique_ptr<web::TWFApplication> session_;
    std::string html_;
};

}  // namespace web::forms::testing_pages
