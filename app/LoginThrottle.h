#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace exam {

// Counts failed administrator logins per client address and refuses further attempts from
// an address that failed too often in a short time, so the password cannot be guessed by
// trying quickly. One instance serves the whole process; it is safe to use from every
// request thread and keeps at most a bounded number of addresses.
class LoginThrottle final {
public:
    using Clock = std::chrono::steady_clock;
    using TimeSource = std::function<Clock::time_point()>;

    // Failures within kWindow that lock an address, until kWindow after its last failure.
    static constexpr int kMaxFailures = 10;
    static constexpr std::chrono::minutes kWindow{10};
    static constexpr std::size_t kMaxAddresses = 4096;

    explicit LoginThrottle(TimeSource now = Clock::now, std::size_t maxAddresses = kMaxAddresses);
    LoginThrottle(const LoginThrottle&) = delete;
    LoginThrottle& operator=(const LoginThrottle&) = delete;

    // The instance the login page uses.
    static LoginThrottle& Shared();

    // False while the address is locked: its attempt must be refused without checking it.
    bool Allowed(const std::string& address);
    void RecordFailure(const std::string& address);
    // Forgets the address's failures (a fresh start for tests). A correct password does not:
    // someone sharing the administrator's address would get new tries after every login.
    void Forget(const std::string& address);

    // Addresses currently remembered (for tests of the bound).
    std::size_t TrackedAddresses();

private:
    // The times of an address's latest failures, oldest first: at most kMaxFailures, all
    // within kWindow of the newest.
    using Record = std::deque<Clock::time_point>;

    bool locked(const Record& record, Clock::time_point now) const;
    bool expired(const Record& record, Clock::time_point now) const;
    void makeRoom(Clock::time_point now);

    TimeSource now_;
    std::size_t maxAddresses_;
    std::mutex mutex_;
    std::unordered_map<std::string, Record> records_;
};

}  // namespace exam
