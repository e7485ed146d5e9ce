#include "web/server/TWFStandAloneServer.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "web/server/Errors.h"
#include "web/server/TInHTTPAppBridge.h"
#include "web/server/Text.h"

namespace web {
namespace {

std::string localDateTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string programName() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "examserver" : self.stem().string();
}

}  // namespace

void AppendErrorLine(const std::string& programFolder, const std::string& name, const std::string& message) {
    std::ofstream file(programFolder + name + ".err", std::ios::app | std::ios::binary);
    file << localDateTime() << " " << message << "\r\n";
}

TWFStandAloneServer::TWFStandAloneServer(const Options& options) {
    const ControllerFactory& factory = RegisteredServerController();
    if (!factory) throw EWFException("No server controller is defined.");
    std::unique_ptr<TWFServerControllerBase> controller = factory();
    controller->setProgramFolder(options.programFolder.empty() ? ProgramFolder() : options.programFolder);
    controller->loaded();
    if (options.port) {
        controller->Port = *options.port;
    } else if (!controller->portIniProblem().empty() && options.onSettingsProblem) {
        options.onSettingsProblem(controller->portIniProblem());
    }
    if (options.maxSessions != 0) controller->MaxSessions = options.maxSessions;
    runtime_ = std::make_unique<ServerRuntime>(std::move(controller));
    if (options.resumer) runtime_->setResumer(options.resumer);
    try {
        startBridge(options);
    } catch (const EBindError& error) {
        AppendErrorLine(runtime_->settings().programFolder(), programName(), error.what());
        throw;
    }
}

void TWFStandAloneServer::startBridge(const Options& options) {
    TWFServerControllerBase& settings = runtime_->settings();
    std::string address = options.bindIP;
    if (address.empty()) address = text::trim(text::split(settings.BoundIP, ',').front());
    if (address.empty()) address = "0.0.0.0";
    boundAddress_ = address;
    bridge_ = std::make_unique<TInHTTPAppBridge>();
    bridge_->Start(address, settings.Port, runtime_->handler(), settings.cacheFolder(),
                   static_cast<std::size_t>(std::max(1, settings.ThreadPoolSize)));
    settings.Port = bridge_->Port();
}

TWFStandAloneServer::~TWFStandAloneServer() {
    if (bridge_) bridge_->Stop();
    // Requests still being answered keep the settings and the session table alive.
    bridge_.reset();
    runtime_.reset();
}

int TWFStandAloneServer::Port() const { return runtime_->settings().Port; }

std::string TWFStandAloneServer::StartAddress() const {
    std::string host = boundAddress_ == "0.0.0.0" ? "127.0.0.1" : boundAddress_;
    std::string port = Port() == 80 ? "" : ":" + std::to_string(Port());
    return "http://" + host + port + "/" + runtime_->settings().StartCmd;
}

}  // namespace web
