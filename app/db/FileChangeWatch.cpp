#include "app/db/FileChangeWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace exam::db {
namespace {

// What happens to a file of the folder that may change what a read of the database sees.
constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
// The folder itself went away: its watch ends, and nothing more would be reported.
constexpr std::uint32_t kWatchEnded = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

// The engine follows a link to the real file and keeps its journals beside that file.
std::filesystem::path realPath(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(file, error);
    if (!error) return path;
    path = std::filesystem::absolute(file, error);
    return error ? file : path;
}

}  // namespace

FileChangeWatch::FileChangeWatch(const std::filesystem::path& file) {
    const std::filesystem::path path = realPath(file);
    name_ = path.filename().string();
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return;
    if (inotify_add_watch(fd_, folder.c_str(), kFileEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR) < 0)
        stopWatching();
}

FileChangeWatch::~FileChangeWatch() {
    stopWatching();
}

bool FileChangeWatch::changed() {
    if (fd_ < 0) return true;
    bool seen = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return seen;
        if (got <= 0) {
            stopWatching();
            return true;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if ((event->mask & kWatchEnded) != 0) {
                stopWatching();
                return true;
            }
            // Events were dropped: any of them may have been a write.
            if ((event->mask & IN_Q_OVERFLOW) != 0) seen = true;
            if (event->len > 0 && concerns(event->name)) seen = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

// The database file and the journals a writer writes before its commit can be read; the
// shared-memory index is written through a mapping and reports nothing.
bool FileChangeWatch::concerns(std::string_view name) const {
    if (!name.starts_with(name_)) return false;
    const std::string_view rest = name.substr(name_.size());
    return rest.empty() || rest == "-wal" || rest == "-journal";
}

void FileChangeWatch::stopWatching() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace exam::db
