#include "web/server/session/SessionTable.h"

#include <utility>

#include "web/server/Errors.h"
#include "web/server/Text.h"

namespace web {
namespace {

bool isTestBrowser(TWFBrowser kind) {
    return kind == TWFBrowser::brHTML32Test || kind == TWFBrowser::brWMLTest ||
           kind == TWFBrowser::brXHTMLMPTest;
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

void FreeSession(std::unique_ptr<TWFApplication> session) {
    if (!session) return;
    CurrentSessionScope current(session.get());
    try {
        session.reset();
    } catch (...) {
        // Freeing must leave the table consistent whatever a page does on the way out.
    }
}

// ---- SessionLock --------------------------------------------------------------------------

SessionLock::SessionLock(SessionLock&& other) noexcept
    : table_(std::exchange(other.table_, nullptr)), session_(std::move(other.session_)) {}

SessionLock& SessionLock::operator=(SessionLock&& other) noexcept {
    if (this != &other) {
        release();
        table_ = std::exchange(other.table_, nullptr);
        session_ = std::move(other.session_);
    }
    return *this;
}

void SessionLock::release() {
    if (!session_) return;
    table_->giveBack(std::move(session_));
}

void SessionLock::end() {
    if (!session_) return;
    table_->forget(*session_);
    // Freed outside the table's lock: closing a session's database can take a while and
    // must not hold up every other request.
    FreeSession(std::move(session_));
}

// ---- SessionTable -------------------------------------------------------------------------

SessionTable::~SessionTable() {
    freeIdle();
}

std::string SessionTable::keyOf(std::string_view id) {
    return text::toLower(id);
}

SessionLock SessionTable::addHeld(std::unique_ptr<TWFApplication> session) {
    std::lock_guard lock(mutex_);
    std::string key = keyOf(session->SessionID());
    if (idle_.count(key) != 0 || !held_.insert(key).second) {
        throw EWFException("An internal error occurred in TWFSessions.AddSession.");
    }
    return SessionLock(*this, std::move(session));
}

void SessionTable::addIdle(std::unique_ptr<TWFApplication> session) {
    std::lock_guard lock(mutex_);
    std::string key = keyOf(session->SessionID());
    if (idle_.count(key) != 0 || held_.count(key) != 0) {
        throw EWFException("An internal error occurred in TWFSessions.AddSession.");
    }
    idle_.emplace(std::move(key), std::move(session));
}

SessionLock SessionTable::lock(std::string_view id, TWFBrowser browser, const std::string& clientIP) {
    std::lock_guard guard(mutex_);
    std::string key = keyOf(id);
    auto found = idle_.find(key);
    if (found == idle_.end()) {
        if (held_.count(key) != 0) throw ESessionAlreadyLocked();
        throw EInvalidSession();
    }
    checkAccess(*found->second, browser, clientIP);
    std::unique_ptr<TWFApplication> session = std::move(found->second);
    idle_.erase(found);
    held_.insert(std::move(key));
    return SessionLock(*this, std::move(session));
}

void SessionTable::checkAccess(const TWFApplication& session, TWFBrowser browser,
                               const std::string& clientIP) const {
    if (rule_.sameAddress && clientIP != session.ClientIP()) {
        throw EWFException(
            "Security Exception: The IP you are using is different than the one that is assigned to the "
            "specified "
            "session.");
    }
    if (rule_.sameSubnet && classfulNetwork(clientIP) != classfulNetwork(session.ClientIP())) {
        throw EWFException(
            "Security Exception: The IP you are using is from a different subnet than the one that is "
            "assigned to the "
            "specified session.");
    }
    IWFForm* form = session.ActiveForm();
    bool checkBrowser = form == nullptr || form->browserSecurityCheck();
    if (checkBrowser && browser != session.BrowserKind() && !isTestBrowser(session.BrowserKind())) {
        throw EWFException(
            "Security Exception: The browser you are using is different than the one that is assigned to the "
            "specified session.");
    }
}

void SessionTable::giveBack(std::unique_ptr<TWFApplication> session) {
    session->Touch();
    std::lock_guard lock(mutex_);
    std::string key = keyOf(session->SessionID());
    held_.erase(key);
    idle_.emplace(std::move(key), std::move(session));
}

void SessionTable::forget(const TWFApplication& session) {
    std::lock_guard lock(mutex_);
    held_.erase(keyOf(session.SessionID()));
}

bool SessionTable::contains(std::string_view id) const {
    std::lock_guard lock(mutex_);
    std::string key = keyOf(id);
    return idle_.count(key) != 0 || held_.count(key) != 0;
}

bool SessionTable::removeIdle(std::string_view id) {
    std::unique_ptr<TWFApplication> removed;
    {
        std::lock_guard lock(mutex_);
        auto found = idle_.find(keyOf(id));
        if (found == idle_.end()) return false;
        removed = std::move(found->second);
        idle_.erase(found);
    }
    FreeSession(std::move(removed));
    return true;
}

std::vector<std::unique_ptr<TWFApplication>> SessionTable::collectExpired() {
    std::lock_guard lock(mutex_);
    std::vector<std::unique_ptr<TWFApplication>> expired;
    TimePoint now = Clock::now();
    for (auto it = idle_.begin(); it != idle_.end();) {
        if (now - it->second->LastAccess() >= it->second->Timeout()) {
            expired.push_back(std::move(it->second));
            it = idle_.erase(it);
        } else {
            ++it;
        }
    }
    return expired;
}

std::optional<std::string> SessionTable::findBound(std::string_view value) const {
    std::lock_guard lock(mutex_);
    for (const auto& [key, session] : idle_) {
        if (text::equalsNoCase(session->BindValue, value)) return session->SessionID();
    }
    return std::nullopt;
}

bool SessionTable::touch(std::string_view id) {
    std::lock_guard lock(mutex_);
    std::string key = keyOf(id);
    if (auto found = idle_.find(key); found != idle_.end()) {
        found->second->Touch();
        return true;
    }
    return held_.count(key) != 0;
}

void SessionTable::freeIdle() {
    Table idle;
    {
        std::lock_guard lock(mutex_);
        idle.swap(idle_);
    }
    for (auto& [key, session] : idle) FreeSession(std::move(session));
}

std::size_t SessionTable::count() const {
    std::lock_guard lock(mutex_);
    return idle_.size() + held_.size();
}

}  // namespace web
