#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/TWFUserSession.h"
#include "app/db/Schema.h"
#include "tests/app/db/TestDatabase.h"
#include "tests/support/RuntimeFixture.h"
#include "web/forms/TWFAppForm.h"
#include "web/server/FieldList.h"
#include "web/server/TWFApplication.h"

namespace exam::pages::testing {

// A session on a fresh database (administrator password "secret", no exams) whose pages
// run as in a request: the session is the thread's current one for the whole test.
class PageTest : public ::testing::Test {
protected:
    PageTest()
        : created_(createDatabase(folder_)),
          // Chromium identifies itself as Safari; an unknown browser could not post.
          session_(web::TWFSessionStart{web::TWFBrowser::brSafari}),
          current_(&session_) {
        session_.SetUserData(std::make_unique<TWFUserSession>(folder_.file("db1.db")));
        session_.SetStartAddress("/EXEC/0/" + session_.SessionID());
    }

    // Creates a page of the class (its creation reads the database) and shows it.
    template <typename Page>
    Page& show() {
        auto page = std::make_unique<Page>();
        Page& shown = *page;
        session_.FormShown(session_.AdoptForm(std::move(page)));
        return shown;
    }

    web::forms::TWFAppForm& active() { return dynamic_cast<web::forms::TWFAppForm&>(*session_.ActiveForm()); }
    template <typename Page>
    Page* activeAs() { return dynamic_cast<Page*>(session_.ActiveForm()); }

    // The active page's document, as the browser would get it after this request.
    std::string render() { return active().RenderDocument(session_); }

    // Posts the fields to the active page the way the runtime does (values, then the event
    // named by WF_Action); the page is rendered first so the post finds its controls.
    void post(std::vector<std::pair<std::string, std::string>> fields) {
        render();
        web::FieldList list;
        for (auto& [name, value] : fields) list.add(name, value);
        session_.ProcessSubmit(std::move(list));
    }

    TWFUserSession& user() { return UserSession(); }
    // Runs a statement on a connection of its own (to prepare or read rows).
    db::Database& database() { return *direct_; }

    std::vector<std::vector<std::string>> rows(const std::string& sql) {
        return db::testing::ResultRows(*direct_, sql);
    }

    db::testing::TempFolder folder_;
    bool created_;
    testing_support::RuntimeFixture runtime_;
    web::TWFApplication session_;
    web::CurrentSessionScope current_;
    std::unique_ptr<db::Database> direct_ = std::make_unique<db::Database>(folder_.file("db1.db"));

private:
    static bool createDatabase(const db::testing::TempFolder& folder) {
        db::InitDatabase(folder.file("db1.db"), {std::string(db::testing::kTestPassword), false});
        return true;
    }
};

}  // namespace exam::pages::testing
