#include "web/server/TWFServerControllerBase.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

#include "web/server/Errors.h"
#include "web/server/Text.h"

namespace web {
namespace {

ControllerFactory& registeredFactory() {
    static ControllerFactory factory;
    return factory;
}

TWFServerControllerBase*& currentController() {
    static TWFServerControllerBase* controller = nullptr;
    return controller;
}

thread_local TWFServerControllerBase* tRequestSettings = nullptr;

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// Milliseconds since 30 December 1899, local time: the run stamp names the cache folder.
std::uint64_t localMillisecondsSince1899(TimePoint now) {
    std::time_t seconds = Clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    long long utcMs = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    long long localMs = utcMs + static_cast<long long>(local.tm_gmtoff) * 1000;
    constexpr long long kDaysFrom1899To1970 = 25569;
    return static_cast<std::uint64_t>(localMs + kDaysFrom1899To1970 * 86400LL * 1000LL);
}

// The start of the current hour, whole seconds: resources announce this as their
// modification time, so a browser's cached copy stays valid for the run.
TimePoint resourceStamp(TimePoint now) {
    auto seconds = std::chrono::floor<std::chrono::seconds>(now);
    auto sinceHour = seconds.time_since_epoch() % std::chrono::hours(1);
    auto startOfDay = std::chrono::floor<std::chrono::days>(seconds);
    return startOfDay + sinceHour;
}

// What "port.ini" says about the HTTP port.
struct IniPort {
    bool exists = false;
    std::optional<int> port;  // none: no key "Port" in [PORTS] holding a port number
};

// "[PORTS]" Port=... in a small ini file.
IniPort readIniPort(const std::string& path) {
    std::ifstream in(path);
    if (!in) return {};
    IniPort result{true, std::nullopt};
    std::string line;
    bool inPorts = false;
    while (std::getline(in, line)) {
        std::string trimmed = text::trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            inPorts = text::equalsNoCase(trimmed, "[PORTS]");
            continue;
        }
        std::size_t eq = trimmed.find('=');
        if (inPorts && eq != std::string::npos && text::equalsNoCase(text::trim(trimmed.substr(0, eq)), "Port")) {
            int port = text::toIntDef(text::trim(trimmed.substr(eq + 1)), -1);
            result.port = port >= 0 && port <= 65535 ? std::optional<int>(port) : std::nullopt;
        }
    }
    return result;
}

}  // namespace

TWFServerControllerBase::TWFServerControllerBase() {
    TimePoint now = Clock::now();
    runStamp_ = text::base36(localMillisecondsSince1899(now), 10);
    internalResourceStamp_ = resourceStamp(now);
    programFolder_ = ProgramFolder();
}

// The cache folder of this run goes with the settings.
TWFServerControllerBase::~TWFServerControllerBase() {
    cacheFolder_.reset();
    if (currentController() == this) currentController() = nullptr;
}

void TWFServerControllerBase::setProgramFolder(std::string folder) { programFolder_ = withSlash(std::move(folder)); }

void TWFServerControllerBase::loaded() {
    if (SessionTimeout < 0 || SessionTimeout > 600) throw EWFException("Invalid session timeout value.");
    if (ExecCmd.empty()) ExecCmd = "EXEC";
    if (AppName.empty()) AppName = "MyApplication";
    readPortIni();
    filesFolder_ = programFolder_ + "Files/";
    std::string namedTemplates = programFolder_ + TemplateDirName;
    templateFolder_ = withSlash(std::filesystem::is_directory(namedTemplates) ? namedTemplates
                                                                              : programFolder_ + "Templates");
    if (!cacheFolder_) cacheFolder_ = std::make_unique<CacheFolder>(TemporaryFolder(), runStamp_);
}

const std::string& TWFServerControllerBase::cacheFolder() const {
    static const std::string kNone;
    return cacheFolder_ ? cacheFolder_->path() : kNone;
}

// A file that gives no port keeps the default port and says so, instead of leaving the
// choice to the system (a port nobody can guess).
void TWFServerControllerBase::readPortIni() {
    const std::string path = programFolder_ + "port.ini";
    IniPort ini = readIniPort(path);
    portIniProblem_.clear();
    if (!ini.exists) return;
    if (ini.port) {
        Port = *ini.port;
        return;
    }
    portIniProblem_ = path +
                      " gives no port; it should read\n[PORTS]\nPort=8089\n(a number from 0 to 65535; 0 lets "
                      "the system choose). The default port " +
                      std::to_string(Port) + " is used.";
}

void TWFServerControllerBase::newSession(TWFApplication& session, std::unique_ptr<IWFForm>& mainForm) {
    if (OnNewSession) OnNewSession(session, mainForm);
}

void RegisterServerController(ControllerFactory factory) { registeredFactory() = std::move(factory); }

const ControllerFactory& RegisteredServerController() { return registeredFactory(); }

TWFServerControllerBase* ServerController() {
    return tRequestSettings != nullptr ? tRequestSettings : currentController();
}

RequestSettingsScope::RequestSettingsScope(TWFServerControllerBase* settings)
    : previous_(std::exchange(tRequestSettings, settings)) {}

RequestSettingsScope::~RequestSettingsScope() { tRequestSettings = previous_; }

void SetServerController(TWFServerControllerBase* controller) { currentController() = controller; }

std::string ProgramFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return withSlash(std::filesystem::current_path().string());
    return withSlash(exe.parent_path().string());
}

std::string TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return withSlash((tmp != nullptr && *tmp != '\0') ? tmp : "/tmp");
}

}  // namespace web
