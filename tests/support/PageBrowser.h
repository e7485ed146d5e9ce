#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/support/HttpTestClient.h"

namespace testing_support {

using FormFields = std::vector<std::pair<std::string, std::string>>;

// The fields as an application/x-www-form-urlencoded body (every byte but letters and
// digits percent-encoded).
std::string FormEncode(const FormFields& fields);

// One browser session of the exam application driven by hand: it posts to the address of
// the page it was last given, as the page's submit form does.
struct PageBrowser {
    const HttpTestClient* client = nullptr;
    std::string id;
    long long track = 0;
    HttpReply page;

    // Opens "/" and posts the window size: the home page; an empty id when none was given.
    static PageBrowser Open(const HttpTestClient& client);

    HttpReply post(const FormFields& fields);
    // Posts the page's values with `control` (and its parameter) as the action.
    HttpReply click(const std::string& control, const std::string& parameter = "", FormFields values = {});

    // Whether the page holds `text` (written in the page's character set).
    bool shows(const std::string& text) const;
    // Whether the page is the one of that title (its name before the system's).
    bool on(const std::string& title) const;
};

}  // namespace testing_support
