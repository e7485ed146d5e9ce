#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "web/server/ServerRuntime.h"

namespace web {

class TInHTTPAppBridge;

// The component that runs the web application inside the host: it creates the registered
// server controller and a ServerRuntime around it, serves the runtime on the controller's
// port and stops both when it is destroyed.
class TWFStandAloneServer {
public:
    struct Options {
        std::optional<int> port;       // replaces the controller's port (0: the system chooses)
        std::string bindIP;            // empty: the controller's BoundIP, else every address
        std::string programFolder;     // empty: the folder of the running program
        std::size_t maxSessions = 0;   // live sessions allowed at once (0: no cap)
        // Told about settings the server could not use (a "port.ini" that gives no port),
        // before the port is bound.
        std::function<void(const std::string&)> onSettingsProblem;
        // Asked about sessions that are not live before a request gets the expired-session
        // reply (none: it gets that reply).
        std::shared_ptr<SessionResumer> resumer;
    };

    // Starts the server. A port that cannot be bound writes the error line beside the
    // program and throws EBindError.
    explicit TWFStandAloneServer(const Options& options);
    ~TWFStandAloneServer();
    TWFStandAloneServer(const TWFStandAloneServer&) = delete;
    TWFStandAloneServer& operator=(const TWFStandAloneServer&) = delete;

    int Port() const;
    // "http://127.0.0.1" (or the bound address), ":" port unless 80, "/", the start command.
    std::string StartAddress() const;
    TWFServerControllerBase& Controller() { return runtime_->settings(); }
    ServerRuntime& Runtime() { return *runtime_; }

private:
    void startBridge(const Options& options);

    std::unique_ptr<ServerRuntime> runtime_;
    std::unique_ptr<TInHTTPAppBridge> bridge_;
    std::string boundAddress_;
};

// Appends "<local date and time> <message>\r\n" to the program's ".err" file.
void AppendErrorLine(const std::string& programFolder, const std::string& programName, const std::string& message);

}  // namespace web
