#include "web/server/CacheFolder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "web/server/Errors.h"

namespace web {

CacheFolder::CacheFolder(const std::string& parent, const std::string& runStamp) {
    std::string pattern = parent + runStamp + "XXXXXX";
    struct stat info {};
    if (mkdtemp(pattern.data()) == nullptr || ::lstat(pattern.c_str(), &info) != 0) {
        throw EWFException("Unable to create cache directory \"" + parent + runStamp + "/\".");
    }
    path_ = pattern + "/";
    device_ = info.st_dev;
    inode_ = info.st_ino;
}

CacheFolder::~CacheFolder() {
    if (!stillOurs()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

// The path must still name the very directory mkdtemp made: a link or another folder put
// in its place is left alone.
bool CacheFolder::stillOurs() const {
    struct stat info {};
    std::string folder = path_.substr(0, path_.size() - 1);
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_dev == device_ &&
           info.st_ino == inode_;
}

}  // namespace web
