#include "app/LoginThrottle.h"

#include <algorithm>
#include <utility>

namespace exam {

LoginThrottle::LoginThrottle(TimeSource now, std::size_t maxAddresses)
    : now_(std::move(now)), maxAddresses_(std::max<std::size_t>(maxAddresses, 1)) {}

LoginThrottle& LoginThrottle::Shared() {
    static LoginThrottle shared;
    return shared;
}

bool LoginThrottle::Allowed(const std::string& address) {
    const Clock::time_point now = now_();
    std::lock_guard lock(mutex_);
    const auto found = records_.find(address);
    return found == records_.end() || !locked(found->second, now);
}

void LoginThrottle::RecordFailure(const std::string& address) {
    const Clock::time_point now = now_();
    std::lock_guard lock(mutex_);
    if (!records_.contains(address) && records_.size() >= maxAddresses_) makeRoom(now);
    Record& failures = records_[address];
    failures.push_back(now);
    while (failures.size() > static_cast<std::size_t>(kMaxFailures) || now - failures.front() >= kWindow) {
        failures.pop_front();
    }
}

void LoginThrottle::Forget(const std::string& address) {
    std::lock_guard lock(mutex_);
    records_.erase(address);
}

std::size_t LoginThrottle::TrackedAddresses() {
    std::lock_guard lock(mutex_);
    return records_.size();
}

bool LoginThrottle::locked(const Record& record, Clock::time_point now) const {
    return record.size() >= static_cast<std::size_t>(kMaxFailures) && !expired(record, now);
}

bool LoginThrottle::expired(const Record& record, Clock::time_point now) const {
    return record.empty() || now - record.back() >= kWindow;
}

// Forgets the addresses whose last failure is out of the window; when none is, the one
// that failed longest ago, so the table never grows past its bound.
void LoginThrottle::makeRoom(Clock::time_point now) {
    std::erase_if(records_, [&](const auto& entry) { return expired(entry.second, now); });
    if (records_.size() < maxAddresses_) return;
    const auto oldest = std::min_element(records_.begin(), records_.end(), [](const auto& a, const auto& b) {
        return a.second.back() < b.second.back();
    });
    records_.erase(oldest);
}

}  // namespace exam
