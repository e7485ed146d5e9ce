#include "web/server/TWFSessions.h"

#include "web/server/Errors.h"
#include "web/server/Text.h"

namespace web {
namespace {

bool isTestBrowser(TWFBrowser kind) {
    return kind == TWFBrowser::brHTML32Test || kind == TWFBrowser::brWMLTest || kind == TWFBrowser::brXHTMLMPTest;
}

// The network of an IPv4 address by its address class (A: 8 bits, B: 16, C: 24).
std::string classfulNetwork(const std::string& address) {
    std::vector<std::string> parts = text::split(address, '.');
    if (parts.size() != 4) return address;
    int first = text::toIntDef(parts[0], 0);
    std::size_t keep = first < 128 ? 1 : first < 192 ? 2 : 3;
    std::string network;
    for (std::size_t i = 0; i < keep; ++i) network += parts[i] + ".";
    return network;
}

}  // namespace

TWFSessions& Sessions() {
    static TWFSessions table;
    return table;
}

void FreeSession(std::unique_ptr<TWFApplication> session) {
    if (!session) return;
    CurrentSessionScope current(session.get());
    try {
        session.reset();
    } catch (...) {
        // Freeing must leave the table consistent whatever a page does on the way out.
    }
}

TWFSessions::~TWFSessions() { FreeIdleSessions(); }

std::string TWFSessions::keyOf(std::string_view id) { return text::toLower(id); }

void TWFSessions::AddSession(std::unique_ptr<TWFApplication> session, bool busy) {
    std::lock_guard lock(mutex_);
    std::string key = keyOf(session->SessionID());
    if (idle_.count(key) != 0 || busy_.count(key) != 0) {
        throw EWFException("An internal error occurred in TWFSessions.AddSession.");
    }
    (busy ? busy_ : idle_).emplace(std::move(key), std::move(session));
    if (OnSessionStart) OnSessionStart();
}

TWFApplication* TWFSessions::LookupSession(std::string_view id) {
    std::lock_guard lock(mutex_);
    std::string key = keyOf(id);
    for (Table* table : {&idle_, &busy_}) {
        auto found = table->find(key);
        if (found == table->end()) continue;
        if (!text::equalsNoCase(found->second->SessionID(), id)) {
            throw EWFException("An internal error occurred in TWFSessions.LookupSession.");
        }
        return found->second.get();
    }
    return nullptr;
}

TWFApplication* TWFSessions::LockSession(TWFApplication& session, TWFBrowser browser, const std::string& clientIP) {
    std::lock_guard lock(mutex_);
    std::string key = keyOf(session.SessionID());
    auto found = idle_.find(key);
    if (found == idle_.end() || found->second.get() != &session) return nullptr;
    const TWFServerControllerBase* controller = ServerController();
    if (controller != nullptr && controller->RestrictIPs && clientIP != session.ClientIP()) {
        throw EWFException(
            "Security Exception: The IP you are using is different than the one that is assigned to the specified "
            "session.");
    }
    if (controller != nullptr && controller->RestrictSubnet &&
        classfulNetwork(clientIP) != classfulNetwork(session.ClientIP())) {
        throw EWFException(
            "Security Exception: The IP you are using is from a different subnet than the one that is assigned to the "
            "specified session.");
    }
    IWFForm* form = session.ActiveForm();
    bool checkBrowser = form == nullptr || form->browserSecurityCheck();
    if (checkBrowser && browser != session.BrowserKind() && !isTestBrowser(session.BrowserKind())) {
        throw EWFException(
            "Security Exception: The browser you are using is different than the one that is assigned to the "
            "specified session.");
    }
    busy_.emplace(key, std::move(found->second));
    idle_.erase(found);
    return &session;
}

void TWFSessions::UnlockSession(TWFApplication& session) {
    std::lock_guard lock(mutex_);
    session.Touch();
    auto found = busy_.find(keyOf(session.SessionID()));
    if (found == busy_.end() || found->second.get() != &session) return;
    idle_.emplace(found->first, std::move(found->second));
    busy_.erase(found);
}

bool TWFSessions::RemoveSession(TWFApplication& session, bool alsoBusy) {
    std::unique_ptr<TWFApplication> removed;
    {
        std::lock_guard lock(mutex_);
        std::string key = keyOf(session.SessionID());
        for (Table* table : {&idle_, &busy_}) {
            if (table == &busy_ && !alsoBusy) break;
            auto found = table->find(key);
            if (found != table->end() && found->second.get() == &session) {
                removed = std::move(found->second);
                table->erase(found);
                break;
            }
        }
        if (!removed) return false;
        if (OnSessionEnd) OnSessionEnd();
    }
    // Freed outside the table's lock: closing a session's database can take a while and
    // must not hold up every other request.
    FreeSession(std::move(removed));
    return true;
}

std::vector<std::unique_ptr<TWFApplication>> TWFSessions::CollectExpired() {
    std::lock_guard lock(mutex_);
    std::vector<std::unique_ptr<TWFApplication>> expired;
    TimePoint now = Clock::now();
    for (auto it = idle_.begin(); it != idle_.end();) {
        if (now - it->second->LastAccess() >= it->second->Timeout()) {
            expired.push_back(std::move(it->second));
            it = idle_.erase(it);
            if (OnSessionEnd) OnSessionEnd();
        } else {
            ++it;
        }
    }
    return expired;
}

std::optional<std::string> TWFSessions::FindBoundSession(std::string_view value) {
    std::lock_guard lock(mutex_);
    for (auto& [key, session] : idle_) {
        if (text::equalsNoCase(session->BindValue, value)) return session->SessionID();
    }
    return std::nullopt;
}

TWFApplication& TWFSessions::LockById(std::string_view id, TWFBrowser browser, const std::string& clientIP) {
    std::lock_guard lock(mutex_);
    TWFApplication* session = LookupSession(id);
    if (session == nullptr) throw EInvalidSession();
    if (LockSession(*session, browser, clientIP) == nullptr) throw ESessionAlreadyLocked();
    return *session;
}

bool TWFSessions::TouchSession(std::string_view id) {
    std::lock_guard lock(mutex_);
    TWFApplication* session = LookupSession(id);
    if (session == nullptr) return false;
    session->Touch();
    return true;
}

void TWFSessions::FreeIdleSessions() {
    Table idle;
    {
        std::lock_guard lock(mutex_);
        idle.swap(idle_);
        if (OnSessionEnd) {
            for (std::size_t i = 0; i < idle.size(); ++i) OnSessionEnd();
        }
    }
    for (auto& [key, session] : idle) FreeSession(std::move(session));
}

bool TWFSessions::RemoveIdleSession(std::string_view id) {
    std::unique_ptr<TWFApplication> removed;
    {
        std::lock_guard lock(mutex_);
        auto found = idle_.find(keyOf(id));
        if (found == idle_.end()) return false;
        removed = std::move(found->second);
        idle_.erase(found);
        if (OnSessionEnd) OnSessionEnd();
    }
    FreeSession(std::move(removed));
    return true;
}

std::size_t TWFSessions::Count() const {
    std::lock_guard lock(mutex_);
    return idle_.size() + busy_.size();
}

}  // namespace web
