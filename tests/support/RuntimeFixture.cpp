#include "tests/support/RuntimeFixture.h"

#include <stdexcept>


namespace testing_support {

void ProbePage::ProcessSubmit(const web::FieldList& params) {
    ++submits;
    lastParams = params;
    if (onSubmit) onSubmit(params);
    web::TWFApplication* session = web::CurrentSession();
    std::string action = params.value("do");
    if (session == nullptr || action.empty()) return;
    if (action == "alert") session->ShowMessage(params.value("text"));
    if (action == "terminate") session->Terminate();
    if (action == "quit")
        session->Terminate(params.contains("text") ? params.value("text") : "Bye <b>now</b>");
    if (action == "leave") {
        session->Terminate(params.value("text"));
        session->TerminateAndRedirect(params.value("to"));
    }
    if (action == "redirect") session->TerminateAndRedirect("http://example.test/next");
    if (action == "fail") throw std::runtime_error("handler failed");
}

void ProbePage::RenderHTML(std::ostream& out, web::TWFApplication& session) {
    out << "<html>page=" << name_ << " size=" << width_ << "x" << height_ << " action=" << session.FormActionURL()
        << " init=" << initScript_ << " script=" << pageScript_ << "</html>";
    initScript_.clear();
}

std::unique_ptr<web::TWFServerControllerBase> ProbeSettings(const std::filesystem::path& folder) {
    auto settings = std::make_unique<web::TWFServerControllerBase>();
    settings->setProgramFolder(folder.string() + "/");
    settings->MainForm40 = [](web::TWFApplication&) { return std::make_unique<ProbePage>(); };
    settings->loaded();
    return settings;
}

RuntimeFixture::RuntimeFixture()
    : folder_(MakeTemporaryFolder("runtime")), runtime_(std::make_unique<web::ServerRuntime>(ProbeSettings(folder_))) {
    web::SetServerController(&runtime_->settings());
}

RuntimeFixture::~RuntimeFixture() {
    web::SetServerController(nullptr);
    runtime_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

ProbePage& RuntimeFixture::pageOf(web::TWFApplication& session) {
    auto* page = dynamic_cast<ProbePage*>(session.ActiveForm());
    if (page == nullptr) throw std::logic_error("the session shows no probe page");
    return *page;
}

std::filesystem::path MakeTemporaryFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

}  // namespace testing_support
