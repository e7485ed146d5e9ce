#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/db/Query.h"
#include "tests/app/pages/PageFixture.h"

namespace exam::pages::testing {

// Page tests of the administration pages: rows prepared on the test's own connection,
// clicks posted with the values of the page's fields, and the alerts the answer shows.
class AdminPageTest : public PageTest {
protected:
    using Rows = std::vector<std::vector<std::string>>;
    using Fields = std::vector<std::pair<std::string, std::string>>;

    void exec(const std::string& sql) {
        db::Query query(database());
        query.SQL().SetText(sql);
        query.ExecSQL();
    }

    // Posts a click on the control with the fields' values; returns the alerts the page
    // shows when it loads.
    std::vector<std::string> click(const std::string& action, const std::string& parameter = "",
                                   Fields values = {}) {
        values.emplace_back("WF_Action", action);
        values.emplace_back("WF_ActionParam", parameter);
        post(std::move(values));
        return alertsIn(render());
    }

    static std::vector<std::string> alertsIn(const std::string& html) {
        std::vector<std::string> alerts;
        const std::string open = "window.alert(\"";
        for (std::size_t at = html.find(open); at != std::string::npos; at = html.find(open, at)) {
            at += open.size();
            alerts.push_back(html.substr(at, html.find("\");", at) - at));
        }
        return alerts;
    }
};

}  // namespace exam::pages::testing
