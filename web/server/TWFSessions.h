#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "web/server/TWFApplication.h"

namespace web {

// The process-wide table of sessions. A session is either idle (no request works on it)
// or busy (exactly one request holds it); a second request for a busy session is refused
// at once, never queued. Ids are matched without regard to case.
class TWFSessions {
public:
    TWFSessions() = default;
    ~TWFSessions();
    TWFSessions(const TWFSessions&) = delete;
    TWFSessions& operator=(const TWFSessions&) = delete;

    void AddSession(std::unique_ptr<TWFApplication> session, bool busy);
    TWFApplication* LookupSession(std::string_view id);
    // Moves an idle session to the busy table after the security checks; nullptr when busy.
    TWFApplication* LockSession(TWFApplication& session, TWFBrowser browser, const std::string& clientIP);
    void UnlockSession(TWFApplication& session);
    // Takes the session out of the idle table (or also the busy one) and frees it.
    bool RemoveSession(TWFApplication& session, bool alsoBusy);
    // Frees the session of that id when no request is working on it (explicit stop).
    bool RemoveIdleSession(std::string_view id);
    // Idle sessions whose last access lies their time-out or more in the past, taken out.
    std::vector<std::unique_ptr<TWFApplication>> CollectExpired();
    // The id of an idle session bound to `value`; read under the table's lock, since the
    // session may be freed the moment the lock is released.
    std::optional<std::string> FindBoundSession(std::string_view value);

    // Look up and lock, or throw EInvalidSession / ESessionAlreadyLocked.
    TWFApplication& LockById(std::string_view id, TWFBrowser browser, const std::string& clientIP);
    // Refreshes the idle clock of an existing session without locking it (keep-alive).
    bool TouchSession(std::string_view id);
    // Frees every idle session (shutdown).
    void FreeIdleSessions();

    std::size_t Count() const;

    // Notifications for the host's active-session counter.
    std::function<void()> OnSessionStart;
    std::function<void()> OnSessionEnd;

private:
    using Table = std::unordered_map<std::string, std::unique_ptr<TWFApplication>>;
    static std::string keyOf(std::string_view id);

    mutable std::recursive_mutex mutex_;
    Table idle_;
    Table busy_;
};

// The session table of the process.
TWFSessions& Sessions();

// Frees a session the way the time-out does: current session set, errors swallowed.
void FreeSession(std::unique_ptr<TWFApplication> session);

// Holds a locked session for one request and unlocks it on every path out.
class SessionLockGuard {
public:
    SessionLockGuard(TWFSessions& table, TWFApplication& session) : table_(&table), session_(&session) {}
    ~SessionLockGuard() {
        if (session_ != nullptr) table_->UnlockSession(*session_);
    }
    SessionLockGuard(const SessionLockGuard&) = delete;
    SessionLockGuard& operator=(const SessionLockGuard&) = delete;
    // The session was freed on the way; there is nothing to unlock.
    void release() { session_ = nullptr; }

private:
    TWFSessions* table_;
    TWFApplication* session_;
};

}  // namespace web
