#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/library/LibrarySettings.h"
#include "app/library/RemoteQuery.h"
#include "web/server/IWFForm.h"
#include "web/server/TWFApplication.h"

namespace exam {

// The per-session data object: the session's handle on the exam database (its statements
// borrow the process's shared connections while they run, so an idle session holds no
// connection), the queries every page reads and writes through, and the two values pages hand to the next
// page. Created by the new-session hook; the session owns it and frees it with itself.
class TWFUserSession : public web::TWFUserData {
public:
    // Opens the handle on db1.db in the working directory; raises the database layer's
    // error when the file cannot be opened.
    TWFUserSession();
    explicit TWFUserSession(const std::filesystem::path& databaseFile);

    db::Database ADOConnection1;
    db::Query tem{ADOConnection1};
    db::Query ADOQuery1{ADOConnection1};
    db::Query tem2{ADOConnection1};
    // The shared-exam library: closed except while a click loads from it.
    library::RemoteConnection yccon{library::LibraryConnection()};
    library::RemoteQuery ycquery{yccon};

    std::string ExamId;
    std::string CandidateName;

    // Replaces the session's active page by a fresh page made by `createPage`. The old
    // page is freed once the current request is done, so a handler may call this as its
    // last action.
    using PageFactory = std::function<std::unique_ptr<web::IWFForm>()>;
    void MoveToPage(const PageFactory& createPage);

    template <typename Page>
    void MoveToPage() {
        MoveToPage([] { return std::make_unique<Page>(); });
    }
};

// The data object of the session whose request the calling thread handles.
TWFUserSession& UserSession();

// The new-session hook: gives the session its data object (the start page is the
// registered one).
void WFServerControllerBaseNewSession(web::TWFApplication& session, std::unique_ptr<web::IWFForm>& mainForm);

}  // namespace exam
