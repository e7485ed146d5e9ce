#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "web/server/TWFApplication.h"

namespace web {

class SessionTable;

// A session held by one request. While the handle lives the session is out of the idle
// table and no other request can reach it; the handle owns it, so no pointer to the
// session survives the lock. Destroying the handle gives the session back (and refreshes
// its idle clock); end() frees it instead.
class SessionLock {
public:
    SessionLock() = default;
    ~SessionLock() { release(); }
    SessionLock(SessionLock&& other) noexcept;
    SessionLock& operator=(SessionLock&& other) noexcept;
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

    explicit operator bool() const { return session_ != nullptr; }
    TWFApplication& session() const { return *session_; }
    TWFApplication* operator->() const { return session_.get(); }

    // Gives the session back to the table as an idle session.
    void release();
    // Takes the session out of the table for good and frees it.
    void end();

private:
    friend class SessionTable;
    SessionLock(SessionTable& table, std::unique_ptr<TWFApplication> session)
        : table_(&table), session_(std::move(session)) {}

    SessionTable* table_ = nullptr;
    std::unique_ptr<TWFApplication> session_;
};

// Who may lock a session beside its own browser: by default any address.
struct SessionAddressRule {
    bool sameAddress = false;  // only the address that started the session
    bool sameSubnet = false;   // only addresses of its classful network
};

// The live sessions of one server. A session is idle (in the table) or held by exactly
// one request (a SessionLock); a second request for a held session is refused at once,
// never queued. Ids are matched without regard to case. One plain mutex guards the table;
// no public method calls another while holding it.
class SessionTable {
public:
    explicit SessionTable(SessionAddressRule rule = {}) : rule_(rule) {}
    ~SessionTable();
    SessionTable(const SessionTable&) = delete;
    SessionTable& operator=(const SessionTable&) = delete;

    // Enters a new session held by the caller: nobody else may work on it before it is set up.
    SessionLock addHeld(std::unique_ptr<TWFApplication> session);
    // Enters a session as idle.
    void addIdle(std::unique_ptr<TWFApplication> session);
    // Holds the session after the address and browser checks, or throws EInvalidSession
    // (no such session), ESessionAlreadyLocked or the security error.
    SessionLock lock(std::string_view id, TWFBrowser browser, const std::string& clientIP);

    // Whether a session of that id is live, idle or held.
    bool contains(std::string_view id) const;
    // Frees the session of that id when no request holds it (explicit stop).
    bool removeIdle(std::string_view id);
    // Idle sessions whose last access lies their time-out or more in the past, taken out.
    std::vector<std::unique_ptr<TWFApplication>> collectExpired();
    // The id of an idle session bound to `value`.
    std::optional<std::string> findBound(std::string_view value) const;
    // Refreshes the idle clock of an idle session without holding it (keep-alive); a held
    // session is refreshed when it is given back.
    bool touch(std::string_view id);
    // Frees every idle session (shutdown).
    void freeIdle();
    std::size_t count() const;

    // Runs `look` on the idle session of that id under the table's lock (tests, checks);
    // false when there is none.
    template <typename Look>
    bool peek(std::string_view id, Look look) const {
        std::lock_guard lock(mutex_);
        auto found = idle_.find(keyOf(id));
        if (found == idle_.end()) return false;
        look(*found->second);
        return true;
    }

private:
    friend class SessionLock;
    using Table = std::unordered_map<std::string, std::unique_ptr<TWFApplication>>;
    static std::string keyOf(std::string_view id);
    void checkAccess(const TWFApplication& session, TWFBrowser browser, const std::string& clientIP) const;
    void giveBack(std::unique_ptr<TWFApplication> session);
    void forget(const TWFApplication& session);

    SessionAddressRule rule_;
    mutable std::mutex mutex_;
    Table idle_;
    std::unordered_set<std::string> held_;
};

// Frees a session the way the time-out does: current session set, errors swallowed.
void FreeSession(std::unique_ptr<TWFApplication> session);

}  // namespace web
