#include "host/ServerHost.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

#include "app/TWFServerController.h"
#include "app/VendorServices.h"
#include "app/autosave/Autosave.h"
#include "app/autosave/ExamResumer.h"
#include "app/db/Database.h"
#include "app/db/Schema.h"
#include "app/library/LibrarySettings.h"
#include "host/InterfaceAddresses.h"
#include "host/TForm9.h"
#include "host/desktop/ExamsInProgress.h"
#include "web/server/ServerLog.h"
#include "web/server/TWFStandAloneServer.h"
#include "web/server/transport/Socket.h"

namespace host {
namespace {

bool createDatabase(const HostOptions& options) {
    try {
        std::string password = exam::db::InitDatabase(std::string(exam::db::kDatabaseFileName),
                                                      {options.password, options.demo});
        std::cout << "Created " << exam::db::kDatabaseFileName << (options.demo ? " with a sample exam" : "")
                  << ".\n";
        if (!options.password) std::cout << "Administrator password: " << password << "\n";
        return true;
    } catch (const std::exception& error) {
        std::cerr << "Could not create " << exam::db::kDatabaseFileName << ": " << error.what() << "\n";
        return false;
    }
}

// An older db1.db gets the newest layout before the first session opens it; a newer one
// is refused rather than worked on.
bool upgradeDatabase() {
    try {
        if (exam::db::UpgradeDatabase(std::string(exam::db::kDatabaseFileName))) {
            std::cout << "Updated " << exam::db::kDatabaseFileName << " to database version "
                      << exam::db::kSchemaVersion << ".\n";
        }
        return true;
    } catch (const std::exception& error) {
        std::cerr << "Could not open " << exam::db::kDatabaseFileName << ": " << error.what() << "\n";
        return false;
    }
}

// Every request holds a socket while it is served; sessions hold no descriptor, so the
// limit is raised for the sockets alone and no longer bounds the sessions.
void raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

// How to mend a port the server could not listen on.
std::string bindAdvice(web::EBindError::Cause cause) {
    switch (cause) {
        case web::EBindError::Cause::Permission:
            return "Start the program with -port and a port from 1024 up (for example -port 8089), or let it "
                   "bind low ports: in its systemd service unit, AmbientCapabilities=CAP_NET_BIND_SERVICE.\n";
        case web::EBindError::Cause::InUse:
            return "Another program (or a second copy of this one) listens on that port: stop it, or start "
                   "this one with -port and a free port.\n";
        case web::EBindError::Cause::Address:
            return "Start the program with -bind and an address of this computer, or without -bind.\n";
        default:
            return "";
    }
}

// The exam pages save into the autosave for one scope.
class AutosaveInstallation {
public:
    explicit AutosaveInstallation(exam::Autosave& autosave) { exam::InstallAutosave(&autosave); }
    ~AutosaveInstallation() { exam::InstallAutosave(nullptr); }
    AutosaveInstallation(const AutosaveInstallation&) = delete;
    AutosaveInstallation& operator=(const AutosaveInstallation&) = delete;
};

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// "q" typed in the console closes the program like SIGTERM does; the end of the input
// (a server started without a terminal) leaves it running.
void readKeys(std::shared_ptr<TForm9> window) {
    if (window->ReadKeys(std::cin, std::cerr)) kill(getpid(), SIGTERM);
}

// The addresses candidates type, for the person setting up the room; under systemd the
// lines go to the journal.
void printCandidateAddresses(int port, const std::string& boundAddress) {
    const std::vector<std::string> addresses = CandidateAddresses(InterfaceAddresses(), port, boundAddress);
    std::cout << "Candidates can open:";
    if (addresses.empty()) std::cout << " (no IPv4 address found on this machine's interfaces)";
    std::cout << "\n";
    for (const std::string& address : addresses) {
        std::cout << "  " << address << "\n";
        if (web::ServerLogEnabled()) web::ServerLog("Start address: " + address);
    }
    std::cout << std::flush;
}

}  // namespace

std::size_t SessionCapForMemory(std::size_t budgetBytes) {
    return std::max<std::size_t>(16, budgetBytes / kSessionCost);
}

int RunServerHost(const HostOptions& options, const WindowHost& windowHost) {
    if (options.initDatabase && !createDatabase(options)) return 1;
    if (!upgradeDatabase()) return 1;
    if (!std::filesystem::exists(exam::db::kDatabaseFileName)) {
        std::cerr << "Warning: there is no " << exam::db::kDatabaseFileName << " in "
                  << std::filesystem::current_path().string()
                  << ". The server starts, but every candidate gets an error page until it exists; create it "
                     "with -initdb (add -demo for a sample exam).\n";
    }
    if (options.vendor) {
        try {
            exam::SetVendorAddress(*options.vendor);
        } catch (const std::invalid_argument& error) {
            std::cerr << error.what() << "\n";
            return 2;
        }
    }
    if (options.log) {
        web::SetLogSink([](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    }
    // The stop signals are taken by sigwait below; every thread started from here on
    // inherits the blocked mask.
    sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    exam::RegisterExamApplication({options.organisation.value_or("")});
    if (options.library) exam::library::SetLibraryConnection(*options.library);
    // Opened before the server takes requests and closed after it stops, so every answer
    // a page confirmed is in the file. Problems with the file are reported, never fatal.
    exam::AutosaveSettings autosaveSettings;
    autosaveSettings.log = [](const std::string& line) { std::cerr << line << std::endl; };
    exam::Autosave autosave(autosaveSettings);
    AutosaveInstallation installed(autosave);
    std::unique_ptr<web::TWFStandAloneServer> server;
    try {
        web::TWFStandAloneServer::Options serverOptions;
        serverOptions.port = options.port;
        if (options.bindAddress) serverOptions.bindIP = *options.bindAddress;
        raiseOpenFileLimit();
        serverOptions.maxSessions = SessionCapForMemory(
            options.sessionMemoryMiB ? *options.sessionMemoryMiB << 20 : kDefaultSessionMemory);
        serverOptions.resumer = std::make_shared<exam::ExamResumer>(autosave);
        serverOptions.onSettingsProblem = [](const std::string& problem) { std::cerr << problem << "\n"; };
        server = std::make_unique<web::TWFStandAloneServer>(serverOptions);
    } catch (const web::EBindError& error) {
        std::cerr << "The server could not start on port " << error.port() << ": " << error.what() << "\n"
                  << bindAdvice(error.cause());
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "The server could not start: " << error.what() << "\n";
        return 1;
    }
    std::cout << "Exam server listening on port " << server->Port() << "\n";
    std::cout << "Start address on this computer: " << server->StartAddress() << std::endl;
    printCandidateAddresses(server->Port(), options.bindAddress.value_or(""));
    // Shared with the key reader, which may still wait for a line when the program ends.
    auto window = std::make_shared<TForm9>(server->Port(), ConsolePlatform(std::cout));
    if (options.launchBrowser) {
        try {
            window->Label4Click();
        } catch (const std::exception& error) {
            std::cerr << error.what() << "\n";
        }
    }
    if (windowHost) {
        ServingState state;
        state.port = server->Port();
        state.addresses =
            CandidateAddresses(InterfaceAddresses(), state.port, options.bindAddress.value_or(""));
        state.candidatesInExam = [file = std::filesystem::absolute(autosaveSettings.file),
                                  timeout = std::chrono::minutes(server->Controller().SessionTimeout)] {
            auto now = std::chrono::system_clock::now().time_since_epoch();
            return CandidatesInExam(file, std::chrono::duration_cast<std::chrono::seconds>(now).count(),
                                    timeout);
        };
        state.stopSignals = signals;
        WindowEnd end = windowHost(options, state);
        if (end == WindowEnd::Closed || end == WindowEnd::Stopped) {
            std::cout << "Stopping the server." << std::endl;
            server.reset();
            return 0;
        }
    }
    if (!options.headless) {
        window->PrintTexts(std::cout, true);
        // The vendor's version text may announce a newer version; a server without an
        // operator has no one to tell and keeps the built-in address list.
        window->Show();
        std::thread(readKeys, window).detach();
    }
    int received = 0;
    sigwait(&signals, &received);
    std::cout << "Stopping the server." << std::endl;
    server.reset();
    return 0;
}

}  // namespace host
