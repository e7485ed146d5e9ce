#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace exam::db {

// Tells whether a database file may have been written since it was last asked, by any
// process: a write to the file or to its WAL or rollback journal, or the file created,
// removed or replaced. It watches the file's folder (inotify) and reads the events that
// have come in when asked, so it never waits and needs no thread. The engine's WAL needs
// every writer on this machine, and the system reports each of their writes before the
// commit that follows them can be read; so a read made after changed() returned false
// sees nothing newer than what was read before it.
//
// Where the folder cannot be watched (no inotify instance left, a file system without
// it), every call answers true: the caller then reads the file every time, as without
// the watch.
class FileChangeWatch {
public:
    explicit FileChangeWatch(const std::filesystem::path& file);
    ~FileChangeWatch();
    FileChangeWatch(const FileChangeWatch&) = delete;
    FileChangeWatch& operator=(const FileChangeWatch&) = delete;

    bool watching() const { return fd_ >= 0; }
    // True when the file may have changed since the previous call (and always when not
    // watching). Not for concurrent use: the caller serialises it.
    bool changed();

private:
    bool concerns(std::string_view name) const;
    void stopWatching();

    int fd_ = -1;
    std::string name_;
};

}  // namespace exam::db
