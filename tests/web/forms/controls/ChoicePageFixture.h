#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/RuntimeFixture.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/TWFPageContext40.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/server/TWFApplication.h"

namespace web::forms {

// A page for the choice controls' tests: the test adds controls to it, renders it and
// posts to it as the browser would. `events` records what fired, in order.
class ChoicePageFixture : public ::testing::Test {
protected:
    ChoicePageFixture() : session_(start()), page_("WFForm9", "TWFForm9", 1000, 679) {
        session_.SetStartAddress("/EXEC/0/" + session_.SessionID());
    }

    static web::TWFSessionStart start() {
        web::TWFSessionStart s;
        s.browserKind = web::TWFBrowser::brSafari;
        return s;
    }

    template <typename Control>
    Control& add(const std::string& name) {
        auto& control = page_.Add(std::make_unique<Control>(name));
        control.TabOrder = static_cast<int>(page_.Controls().size());
        return control;
    }

    // A handler that notes "<label>" and, when given, what the handler saw at that moment.
    template <typename Probe>
    TNotifyEvent record(const std::string& label, Probe probe) {
        return [this, label, probe](TWFControl&) { events.push_back(label + probe()); };
    }
    TNotifyEvent record(const std::string& label) {
        return [this, label](TWFControl&) { events.push_back(label); };
    }

    std::string render() { return page_.RenderDocument(session_); }

    void post(std::initializer_list<std::pair<std::string, std::string>> pairs) {
        web::FieldList fields;
        for (const auto& [name, value] : pairs) fields.add(name, value);
        page_.ProcessSubmit(fields);
    }

    // The control's own tag, as the page's container gets it.
    static std::string markup(TWFControl& control, web::TWFBrowser browser = web::TWFBrowser::brSafari,
                              const std::string& userAgent = "") {
        TWFPageContext40 context(browser, userAgent);
        return control.renderTag(context)->render();
    }

    static TWFScriptEvents scriptEvents(const TWFControl& control, const std::string& userAgent = "") {
        TWFPageContext40 context(web::TWFBrowser::brSafari, userAgent);
        return control.ownScriptEvents(context);
    }

    static std::string between(const std::string& text, const std::string& from, const std::string& to) {
        std::size_t start = text.find(from);
        if (start == std::string::npos) return "";
        std::size_t end = text.find(to, start + from.size());
        return text.substr(start, end == std::string::npos ? std::string::npos : end + to.size() - start);
    }

    testing_support::RuntimeFixture runtime_;
    web::TWFApplication session_;
    TWFAppForm page_;
    std::vector<std::string> events;
};

}  // namespace web::forms
