#include "app/TWFUserSession.h"

#include "web/server/Errors.h"

namespace exam {

TWFUserSession::TWFUserSession() : TWFUserSession(std::filesystem::path(db::kDatabaseFileName)) {}

TWFUserSession::TWFUserSession(const std::filesystem::path& databaseFile) { ADOConnection1.Open(databaseFile); }

void TWFUserSession::MoveToPage(const PageFactory& createPage) {
    web::TWFApplication* session = web::CurrentSession();
    if (session == nullptr) throw web::EWFException("A page can only be changed while a request is handled.");
    // The old page goes first: a page moved to again is always fresh, with fresh data.
    if (web::IWFForm* old = session->ActiveForm()) session->ReleaseForm(*old);
    web::IWFForm& page = session->AdoptForm(createPage());
    session->FormShown(page);
}

TWFUserSession& UserSession() {
    web::TWFApplication* session = web::CurrentSession();
    auto* data = session != nullptr ? dynamic_cast<TWFUserSession*>(session->UserData()) : nullptr;
    if (data == nullptr) throw web::EWFException("The session has no data object.");
    return *data;
}

void WFServerControllerBaseNewSession(web::TWFApplication& session, std::unique_ptr<web::IWFForm>&) {
    session.SetUserData(std::make_unique<TWFUserSession>());
}

}  // namespace exam
