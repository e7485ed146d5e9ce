#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "web/server/IWFForm.h"
#include "web/server/TWFApplication.h"
#include "web/server/ServerRuntime.h"
#include "web/server/TWFServerControllerBase.h"

namespace testing_support {

// A page for runtime tests: it renders its name, size, action address and the scripts
// queued for it, and records what each submit brought. Posting "do" runs the action of
// that name: "alert", "terminate", "quit" (terminate with a message, "text" when posted),
// "leave" (terminate with the message "text", then redirect to "to") or "redirect".
class ProbePage : public web::IWFForm {
public:
    explicit ProbePage(std::string name = "ProbePage") : name_(std::move(name)) {}

    const std::string& formName() const override { return name_; }
    int width() const override { return width_; }
    int height() const override { return height_; }
    void setSize(int width, int height) override {
        width_ = width;
        height_ = height;
    }
    void ProcessSubmit(const web::FieldList& params) override;
    void RenderHTML(std::ostream& out, web::TWFApplication& session) override;
    void AddInitScript(const std::string& script) override { initScript_ += script; }
    void AddPageScript(const std::string& script) override { pageScript_ += script; }

    int submits = 0;
    web::FieldList lastParams;
    // Runs at the start of every submit, when set.
    std::function<void(const web::FieldList&)> onSubmit;
    // Keep-alive work: announced while `keepAliveWork` is set, counted when run.
    bool keepAliveWork = false;
    int keepAlives = 0;
    bool keepAliveDue() const override { return keepAliveWork; }
    void keepAlive() override { ++keepAlives; }

private:
    std::string name_;
    int width_ = 1000;
    int height_ = 679;
    std::string initScript_;
    std::string pageScript_;
};

// A running runtime without a network: a server runtime whose settings have their folders
// under a fresh temporary folder, a page factory and an empty session table. Its settings
// also serve page code outside requests (SetServerController). Frees every session and
// the settings when it ends.
class RuntimeFixture {
public:
    RuntimeFixture();
    ~RuntimeFixture();
    RuntimeFixture(const RuntimeFixture&) = delete;
    RuntimeFixture& operator=(const RuntimeFixture&) = delete;

    web::TWFServerControllerBase& controller() { return runtime_->settings(); }
    web::SessionTable& sessions() { return runtime_->sessions(); }
    web::ServerRuntime& runtime() { return *runtime_; }
    void dispatch(web::TInHTTPAppRequest& request, web::TInHTTPAppResponse& response) {
        runtime_->dispatch(request, response);
    }
    const std::filesystem::path& folder() const { return folder_; }
    // The probe page of a session (the active page).
    static ProbePage& pageOf(web::TWFApplication& session);

private:
    std::filesystem::path folder_;
    std::unique_ptr<web::ServerRuntime> runtime_;
};

// Settings with their folders under `folder` that start sessions on probe pages.
std::unique_ptr<web::TWFServerControllerBase> ProbeSettings(const std::filesystem::path& folder);

// A fresh empty folder under the system's temporary folder.
std::filesystem::path MakeTemporaryFolder(const std::string& prefix);

}  // namespace testing_support
