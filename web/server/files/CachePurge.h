#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "web/server/PeriodicThread.h"

namespace web {

// Deletes cache files older than the cache expiry ("Cache Purge", every 15 seconds).
class TCachePurgeThread {
public:
    TCachePurgeThread(std::string cacheFolder, std::chrono::minutes expiry,
                      std::chrono::milliseconds period = std::chrono::seconds(15));
    // Waits for a purge in progress, then stops.
    void stop();
    // Deletes every file below `folder` older than `expiry`; folders are kept.
    static void PurgeDirectory(const std::string& folder, std::chrono::minutes expiry);

private:
    void purge();

    std::string cacheFolder_;
    std::chrono::minutes expiry_;
    std::mutex purging_;
    PeriodicThread thread_;
};

}  // namespace web
