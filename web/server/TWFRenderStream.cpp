#include "web/server/TWFRenderStream.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "web/server/Errors.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/Text.h"

namespace web {
namespace {

const char* const kCacheWriteFailed =
    "An error occurred while writing to the Cache Directory, please make sure the permissions are set "
    "correctly.";

// Render streams live in the cache folder's "temp" subfolder. Without a server they go
// straight into the temporary folder: the file is unlinked at once, so no shared folder of
// a fixed name is needed there.
std::string renderFolder(const std::string& cache) {
    if (cache.empty()) return TemporaryFolder();
    std::string folder = cache + "temp/";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

// A file that no other process can open: O_TMPFILE where the file system supports it,
// else a new file unlinked at once.
std::FILE* openUnlinkedTemporary(const std::string& cacheFolder) {
    std::string folder = renderFolder(cacheFolder);
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::string pattern = folder + "WFRXXXXXX";
        fd = mkstemp(pattern.data());
        if (fd < 0) throw EWFException(kCacheWriteFailed);
        ::unlink(pattern.c_str());
    }
    std::FILE* file = fdopen(fd, "w+b");
    if (file == nullptr) {
        ::close(fd);
        throw EWFException("The page could not be rendered into the cache folder.");
    }
    return file;
}

}  // namespace

TWFRenderStream::TWFRenderStream(std::string cacheFolder)
    : cacheFolder_(std::move(cacheFolder)), buffer_(*this), out_(&buffer_) {}

TWFRenderStream::~TWFRenderStream() {
    if (file_ != nullptr) std::fclose(file_);
}

bool TWFRenderStream::append(const char* data, std::size_t count) {
    if (file_ == nullptr && memory_.size() + count > kSpillThreshold) spill();
    if (file_ == nullptr) {
        memory_.append(data, count);
        return true;
    }
    return std::fwrite(data, 1, count, file_) == count;
}

void TWFRenderStream::spill() {
    file_ = openUnlinkedTemporary(cacheFolder_);
    std::fwrite(memory_.data(), 1, memory_.size(), file_);
    std::string().swap(memory_);
}

std::uint64_t TWFRenderStream::size() const {
    if (file_ == nullptr) return memory_.size();
    std::fflush(file_);
    struct stat info {};
    if (::fstat(fileno(file_), &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t TWFRenderStream::read(char* buffer, std::size_t capacity) {
    if (file_ != nullptr) return std::fread(buffer, 1, capacity, file_);
    std::size_t count = std::min(capacity, memory_.size() - position_);
    memory_.copy(buffer, count, position_);
    position_ += count;
    return count;
}

bool TWFRenderStream::appendRest(std::string& out) {
    if (file_ != nullptr) return false;
    out.append(memory_, position_);
    position_ = memory_.size();
    return true;
}

bool TWFRenderStream::takeAll(std::string& out) {
    if (file_ != nullptr || position_ != 0) return false;
    out = std::move(memory_);
    memory_.clear();
    return true;
}

void TWFRenderStream::rewind() {
    out_.flush();
    position_ = 0;
    if (file_ == nullptr) return;
    std::fflush(file_);
    std::rewind(file_);
}

void TWFRenderStream::Write(std::ostream& out, std::string&& page) {
    if (auto* buffer = dynamic_cast<Buffer*>(out.rdbuf())) {
        TWFRenderStream& stream = buffer->owner_;
        if (stream.file_ == nullptr && stream.memory_.empty() && page.size() <= kSpillThreshold) {
            stream.memory_ = std::move(page);
            return;
        }
    }
    out.write(page.data(), static_cast<std::streamsize>(page.size()));
}

TWFRenderStream::Buffer::int_type TWFRenderStream::Buffer::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    const char c = traits_type::to_char_type(ch);
    return owner_.append(&c, 1) ? ch : traits_type::eof();
}

std::streamsize TWFRenderStream::Buffer::xsputn(const char* data, std::streamsize count) {
    return owner_.append(data, static_cast<std::size_t>(count)) ? count : 0;
}

std::string CreateCacheFile(const std::string& prefix, const std::string& cacheFolder) {
    const std::string folder = cacheFolder.empty() ? TemporaryFolder() : cacheFolder;
    std::string pattern = folder + text::toUpper(prefix) + "XXXXXX.tmp";
    int fd = mkstemps(pattern.data(), 4);
    if (fd < 0) {
        throw EWFException(kCacheWriteFailed);
    }
    ::close(fd);
    return pattern.substr(folder.size());
}

}  // namespace web
