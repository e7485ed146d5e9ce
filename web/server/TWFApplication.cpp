#include "web/server/TWFApplication.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "web/server/Errors.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"
#include "web/server/session/SessionID.h"

namespace web {
namespace {

thread_local TWFApplication* tCurrentSession = nullptr;

std::uint32_t bigEndian(const std::array<unsigned char, 16>& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

// Runs a step of tearing a session down; a failure must not stop the rest.
template <typename Step>
void ignoringErrors(Step step) {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

TWFApplication* CurrentSession() {
    return tCurrentSession;
}

TWFApplication* SetCurrentSession(TWFApplication* session) {
    TWFApplication* previous = tCurrentSession;
    tCurrentSession = session;
    return previous;
}

std::string NewSessionID() {
    // 128 bits from the kernel's cryptographic source, so that an id cannot be guessed.
    std::array<unsigned char, 16> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        filled += static_cast<std::size_t>(got);
    }
    std::string id;
    for (std::size_t piece = 0; piece < 4; ++piece) id += text::base36(bigEndian(bytes, piece * 4), 7);
    return id;
}

bool IsSessionIDText(std::string_view id) {
    return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0;
    });
}

TWFApplication::TWFApplication(const TWFSessionStart& start)
    : settings_(start.settings),
      browserKind_(start.browserKind),
      userAgent_(start.userAgent),
      clientIP_(start.clientIP),
      referer_(start.referer),
      startParameters_(start.startParameters),
      lastAccess_(Clock::now()),
      created_(Clock::now()) {
    const TWFServerControllerBase* controller = Settings();
    renderMode_ = controller != nullptr ? DecideRenderMode(browserKind_, userAgent_, *controller)
                                        : TWFRenderMode::HTML40;
    if (controller != nullptr) timeout_ = controller->sessionIdleLimit();
    if (!start.sessionID.empty() && !IsSessionIDText(start.sessionID)) throw EInvalidSession();
    sessionID_ = start.sessionID.empty() ? NewSessionID() : start.sessionID;
    trackID_ = start.trackID;
    // A resumed session's page posts where the browser's page did; a new session is given
    // its start address.
    if (!start.sessionID.empty()) recomputeFormActionURL();
    if (controller != nullptr) {
        sessionCacheDir_ = controller->cacheFolder() + "user/" + sessionID_ + "/";
        std::error_code error;
        std::filesystem::create_directories(sessionCacheDir_, error);
    }
}

TWFApplication::~TWFApplication() {
    ignoringErrors([this] { userData_.reset(); });
    ignoringErrors([this] {
        pages_.clear();
        freeAfterRequest_.clear();
        ownedForms_.clear();
    });
    ignoringErrors([this] { removeSessionCacheDir(); });
}

void TWFApplication::removeSessionCacheDir() {
    if (sessionCacheDir_.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(sessionCacheDir_, error);
}

std::string TWFApplication::SessionCacheURL() const {
    const TWFServerControllerBase* controller = Settings();
    std::string cacheURL = controller != nullptr ? controller->cacheURL() : "/Cache/";
    return cacheURL + "user/" + sessionID_ + "/";
}

IWFForm& TWFApplication::AdoptForm(std::unique_ptr<IWFForm> form) {
    ownedForms_.push_back(std::move(form));
    return *ownedForms_.back();
}

void TWFApplication::FormShown(IWFForm& form) {
    if (pages_.empty() || pages_.back() != &form) pages_.push_back(&form);
    if (windowWidth_ * windowHeight_ != 1 && windowWidth_ > 0 && form.isHTML40()) {
        form.setSize(windowWidth_, windowHeight_);
    }
}

void TWFApplication::FormHidden(IWFForm& form) {
    std::erase(pages_, &form);
}

void TWFApplication::ReleaseForm(IWFForm& form) {
    if (std::find(freeAfterRequest_.begin(), freeAfterRequest_.end(), &form) == freeAfterRequest_.end()) {
        freeAfterRequest_.push_back(&form);
    }
    FormHidden(form);
}

void TWFApplication::freeReleasedForms() {
    for (IWFForm* form : freeAfterRequest_) {
        std::erase(pages_, form);
        std::erase_if(ownedForms_,
                      [form](const std::unique_ptr<IWFForm>& owned) { return owned.get() == form; });
    }
    freeAfterRequest_.clear();
}

void TWFApplication::ShowStartForm(std::unique_ptr<IWFForm> hookForm) {
    std::unique_ptr<IWFForm> form = std::move(hookForm);
    if (!form) {
        const TWFServerControllerBase* controller = Settings();
        switch (renderMode_) {
            case TWFRenderMode::HTML40:
                if (controller == nullptr || !controller->MainForm40) throw EDeviceNotSupported();
                form = controller->MainForm40(*this);
                break;
            case TWFRenderMode::HTML32:
            case TWFRenderMode::WAP:
                throw EDeviceNotSupported();
            default:
                throw EWFException("Unknown client type.");
        }
    }
    FormShown(AdoptForm(std::move(form)));
}

void TWFApplication::AttachRequest(TInHTTPAppRequest* request, TInHTTPAppResponse* response) {
    request_ = request;
    response_ = response;
}

void TWFApplication::SetWindowSize(int width, int height) {
    windowWidth_ = width;
    windowHeight_ = height;
    if (IWFForm* form = ActiveForm(); form != nullptr && form->isHTML40()) form->setSize(width, height);
}

void TWFApplication::ProcessSubmit(FieldList params) {
    // The size-probe page posts the session id and track number as one more line.
    std::string marker = sessionID_ + std::to_string(trackID_);
    for (std::size_t i = 1; i < params.size(); ++i) {
        if (text::equalsNoCase(params.line(i), marker) || text::equalsNoCase(params[i].name, marker)) {
            params.erase(i);
            break;
        }
    }
    redirectURL_.clear();
    try {
        if (IWFForm* form = ActiveForm()) {
            form->ProcessSubmit(params);
            if (IWFForm* after = ActiveForm()) after->afterSubmit();
        }
        freeReleasedForms();
    } catch (const std::exception& error) {
        freeReleasedForms();
        const TWFServerControllerBase* controller = Settings();
        ShowMessage(error.what(),
                    controller != nullptr ? controller->ExceptionDisplayMode : TWFShowMessageType::smAlert);
    }
    bool wroteReply = response_ != nullptr && response_->hasContent();
    if (wroteReply || !redirectURL_.empty()) return;
    if (ActiveForm() != nullptr) {
        ++trackID_;
        recomputeFormActionURL();
    } else {
        Terminate();
    }
}

bool TWFApplication::KeepAliveDue() const {
    IWFForm* form = ActiveForm();
    return form != nullptr && form->keepAliveDue();
}

void TWFApplication::KeepAlive() {
    try {
        if (IWFForm* form = ActiveForm()) form->keepAlive();
    } catch (const std::exception&) {
        // The next request of the page meets the same state and shows its error.
    }
    freeReleasedForms();
    if (ActiveForm() == nullptr) Terminate();
}

void TWFApplication::recomputeFormActionURL() {
    const TWFServerControllerBase* controller = Settings();
    std::string execCmd = controller != nullptr ? controller->ExecCmd : "EXEC";
    std::string base = controller != nullptr ? controller->URLBase : "";
    formActionURL_ = base + "/" + execCmd + "/" + std::to_string(trackID_) + "/" + sessionID_;
    IWFForm* form = ActiveForm();
    if (form != nullptr && form->isHTML40())
        CheckBrowser(browserKind_, form->supportedBrowsers(), userAgent_);
}

void TWFApplication::RenderActiveForm(std::ostream& out) {
    if (IWFForm* form = ActiveForm()) form->RenderHTML(out, *this);
}

void TWFApplication::ShowMessage(const std::string& message, TWFShowMessageType type) {
    IWFForm* form = ActiveForm();
    // Only pages can carry a message; the same-window message page is not part of this runtime,
    // so it is shown as an alert as well.
    if (form == nullptr) return;
    if (type == TWFShowMessageType::smNewWindow) {
        const std::string html = HtmlText(message, true, false);
        form->AddPageScript(
            "msgWindow=window.open(\"\",\"ShowMessage\",\"menubar=no,scrollbars=yes,status=no,width=300,"
            "height=300,"
            "toolbar=no,location=no,resizable=no,directories=no\");\r\n"
            "msgWindow.document.open(\"text/html\", \"replace\");\r\n"
            "msgWindow.document.write('<HTML><HEAD><TITLE>Message Dialog</TITLE></HEAD>');\r\n"
            "msgWindow.document.write('<BODY>');\r\n"
            "msgWindow.document.write('<CENTER>" +
            ScriptStringEscape(html) +
            "</CENTER>')\r\n"
            "msgWindow.document.write('<FORM onSubmit=\"window.close();\"><CENTER><INPUT TYPE=\"button\" "
            "NAME=\"butnClose\" VALUE=\"Ok\" onClick=\"window.close();\"></CENTER></FORM>');\r\n"
            "msgWindow.document.write('</BODY>');\r\n"
            "msgWindow.document.close();\r\n");
        return;
    }
    form->AddInitScript("window.alert(\"" + ScriptStringEscape(message) + "\");\r\n");
}

void TWFApplication::Terminate(const std::string& message) {
    terminated_ = true;
    terminateMessage_ = message.empty() ? "Application has terminated" : message;
}

void TWFApplication::TerminateAndRedirect(const std::string& address) {
    terminated_ = true;
    redirectURL_ = address;
}

}  // namespace web
