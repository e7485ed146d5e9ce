#include "web/server/files/CachePurge.h"

#include <filesystem>

#include "web/server/Errors.h"

namespace web {

TCachePurgeThread::TCachePurgeThread(std::string cacheFolder, std::chrono::minutes expiry,
                                     std::chrono::milliseconds period)
    : cacheFolder_(std::move(cacheFolder)),
      expiry_(expiry),
      thread_("Cache Purge", period, [this] { purge(); }) {}

// Joining the thread waits for a purge in progress to finish.
void TCachePurgeThread::stop() {
    thread_.stop();
}

void TCachePurgeThread::purge() {
    std::lock_guard lock(purging_);
    if (std::filesystem::is_directory(cacheFolder_)) PurgeDirectory(cacheFolder_, expiry_);
}

void TCachePurgeThread::PurgeDirectory(const std::string& folder, std::chrono::minutes expiry) {
    if (folder.empty() || folder == "\\" || folder == "/") {
        throw EWFException("Assertion failed: PurgeDirectory attempts to delete \"" + folder + "\"");
    }
    namespace fs = std::filesystem;
    auto limit = fs::file_time_type::clock::now() - expiry;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code fileError;
        if (it->is_regular_file(fileError) && it->last_write_time(fileError) < limit)
            fs::remove(it->path(), fileError);
    }
}

}  // namespace web
