#pragma once

#include <sys/types.h>

#include <string>

namespace web {

// This run's private folder for generated files (rendered pages, uploads, control output).
// It is made by mkdtemp under the system's temporary folder, its name the run stamp followed
// by random characters, with mode 0700: two runs started in the same millisecond never share
// one, and a folder or link that someone else put there in advance is never taken over.
// Removing it takes only the folder this object created, and only while that path still is
// that folder; links inside are removed, never followed.
class CacheFolder final {
public:
    // Throws EWFException "Unable to create cache directory ..." when the folder cannot be made.
    CacheFolder(const std::string& parent, const std::string& runStamp);
    ~CacheFolder();
    CacheFolder(const CacheFolder&) = delete;
    CacheFolder& operator=(const CacheFolder&) = delete;

    // The folder's path with a trailing "/".
    const std::string& path() const { return path_; }

private:
    bool stillOurs() const;

    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace web
