#include "web/server/SessionResumer.h"

#include <atomic>
#include <mutex>

#include "web/server/ServerLog.h"
#include "web/server/TWFSessions.h"

namespace web {
namespace {

std::atomic<SessionResumer*> gResumer{nullptr};
// Two requests for one id (a click and a keep-alive) must not both rebuild it.
std::mutex gResuming;

}  // namespace

void SetSessionResumer(SessionResumer* resumer) {
    gResumer.store(resumer);
}

bool ResumeSession(const TWFSessionStart& start) {
    SessionResumer* resumer = gResumer.load();
    if (resumer == nullptr || start.sessionID.empty()) return false;
    if (Sessions().LookupSession(start.sessionID) != nullptr) return false;
    std::lock_guard lock(gResuming);
    if (Sessions().LookupSession(start.sessionID) != nullptr) return false;
    std::unique_ptr<TWFApplication> session;
    try {
        session = resumer->resume(start);
    } catch (const std::exception& error) {
        ServerLog("Resume failed: " + start.sessionID + ": " + error.what());
        return false;
    }
    if (!session) return false;
    const TWFServerControllerBase* settings = ServerController();
    const std::string base = settings != nullptr ? settings->URLBase : "";
    const std::string exec = settings != nullptr ? settings->ExecCmd : "EXEC";
    session->SetStartAddress(base + "/" + exec + "/0/" + session->SessionID());
    ServerLog("Resumed session: " + session->SessionID());
    Sessions().AddSession(std::move(session), false);
    return true;
}

}  // namespace web
