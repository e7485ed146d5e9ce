#include "tests/support/PageBrowser.h"

#include <cctype>
#include <cstdio>

#include "web/forms/CodePage.h"

namespace testing_support {

std::string FormEncode(const FormFields& fields) {
    std::string body;
    for (const auto& [name, value] : fields) {
        if (!body.empty()) body += '&';
        body += name + '=';
        for (unsigned char c : value) {
            if (std::isalnum(c) != 0) {
                body += static_cast<char>(c);
            } else {
                char escaped[4];
                std::snprintf(escaped, sizeof escaped, "%%%02X", c);
                body += escaped;
            }
        }
    }
    return body;
}

PageBrowser PageBrowser::Open(const HttpTestClient& client) {
    PageBrowser browser;
    browser.client = &client;
    browser.page = client.get("/");
    const std::size_t at = browser.page.body.find("/EXEC/0/");
    if (at == std::string::npos) return browser;
    browser.id = browser.page.body.substr(at + 8, 28);
    browser.post({{"WF_width", "1000"}, {"WF_height", "700"}});
    return browser;
}

HttpReply PageBrowser::post(const FormFields& fields) {
    page = client->post("/EXEC/" + std::to_string(track) + "/" + id, FormEncode(fields));
    const std::string action = "action=\"/EXEC/";
    if (std::size_t at = page.body.rfind(action); at != std::string::npos) {
        track = std::stoll(page.body.substr(at + action.size()));
    }
    return page;
}

HttpReply PageBrowser::click(const std::string& control, const std::string& parameter, FormFields values) {
    values.emplace_back("WF_Action", control);
    values.emplace_back("WF_ActionParam", parameter);
    return post(values);
}

bool PageBrowser::shows(const std::string& text) const {
    return page.body.find(web::forms::EncodeForCharset(text, "gb2312")) != std::string::npos;
}

bool PageBrowser::on(const std::string& title) const {
    return shows("<title>" + title + "---栎川考试系统</title>");
}

}  // namespace testing_support
