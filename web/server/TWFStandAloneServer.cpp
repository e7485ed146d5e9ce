#include "web/server/TWFStandAloneServer.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "web/server/Errors.h"
#include "web/server/TInHTTPAppBridge.h"
#include "web/server/TWFServer.h"
#include "web/server/session/SessionTable.h"
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
    controller_ = factory();
    controller_->setProgramFolder(options.programFolder.empty() ? ProgramFolder() : options.programFolder);
    controller_->loaded();
    if (options.port) {
        controller_->Port = *options.port;
    } else if (!controller_->portIniProblem().empty() && options.onSettingsProblem) {
        options.onSettingsProblem(controller_->portIniProblem());
    }
    if (options.maxSessions != 0) controller_->MaxSessions = options.maxSessions;
    SetServerController(controller_.get());
    try {
        startBridge(options);
    } catch (const EBindError& error) {
        AppendErrorLine(controller_->programFolder(), programName(), error.what());
        SetServerController(nullptr);
        throw;
    }
}

void TWFStandAloneServer::startBridge(const Options& options) {
    std::string address = options.bindIP;
    if (address.empty()) address = text::trim(text::split(controller_->BoundIP, ',').front());
    if (address.empty()) address = "0.0.0.0";
    boundAddress_ = address;
    bridge_ = std::make_unique<TInHTTPAppBridge>();
    bridge_->Start(
        address, controller_->Port,
        [](TInHTTPAppRequest& request, TInHTTPAppResponse& response) { TWFServer().Dispatch(request, response); },
        controller_->cacheFolder(), static_cast<std::size_t>(std::max(1, controller_->ThreadPoolSize)));
    controller_->Port = bridge_->Port();
}

TWFStandAloneServer::~TWFStandAloneServer() {
    if (bridge_) bridge_->Stop();
    Sessions().freeIdle();
    SetServerController(nullptr);
    controller_.reset();
}

int TWFStandAloneServer::Port() const { return controller_->Port; }

std::string TWFStandAloneServer::StartAddress() const {
    std::string host = boundAddress_ == "0.0.0.0" ? "127.0.0.1" : boundAddress_;
    std::string port = Port() == 80 ? "" : ":" + std::to_string(Port());
    return "http://" + host + port + "/" + controller_->StartCmd;
}

}  // namespace web
