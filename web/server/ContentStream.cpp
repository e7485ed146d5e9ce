#include "web/server/ContentStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace web {

std::size_t MemoryContentStream::read(char* buffer, std::size_t capacity) {
    std::size_t count = std::min(capacity, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return count;
}

FileContentStream::FileContentStream(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), path);
}

FileContentStream::~FileContentStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::uint64_t FileContentStream::size() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t FileContentStream::read(char* buffer, std::size_t capacity) {
    while (true) {
        ssize_t count = ::read(fd_, buffer, capacity);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "read");
    }
}

void FileContentStream::rewind() { ::lseek(fd_, 0, SEEK_SET); }

std::string readAll(ContentStream& stream) {
    std::string out;
    char buffer[16384];
    stream.rewind();
    while (std::size_t count = stream.read(buffer, sizeof buffer)) out.append(buffer, count);
    return out;
}

}  // namespace web
