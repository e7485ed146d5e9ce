#include "web/server/TWFRenderStream.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "web/server/Errors.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/Text.h"

namespace web {
namespace {

const char* const kCacheWriteFailed =
    "An error occurred while writing to the Cache Directory, please make sure the permissions are set "
    "correctly.";

// This run's cache folder; empty outside a loaded runtime.
std::string loadedCacheFolder() {
    const TWFServerControllerBase* controller = ServerController();
    return controller != nullptr ? controller->cacheFolder() : std::string();
}

// Render streams live in the cache folder's "temp" subfolder. Outside a loaded runtime they
// go straight into the temporary folder: the file is unlinked at once, so no shared folder
// of a fixed name is needed there.
std::string renderFolder() {
    std::string cache = loadedCacheFolder();
    if (cache.empty()) return TemporaryFolder();
    std::string folder = cache + "temp/";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::FILE* openUnlinkedTemporary() {
    std::string pattern = renderFolder() + "WFRXXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        throw EWFException(kCacheWriteFailed);
    }
    ::unlink(pattern.c_str());
    std::FILE* file = fdopen(fd, "w+b");
    if (file == nullptr) ::close(fd);
    return file;
}

}  // namespace

TWFRenderStream::TWFRenderStream()
    : file_(openUnlinkedTemporary()), buffer_(std::make_unique<FileBuffer>(file_)), out_(buffer_.get()) {
    if (file_ == nullptr) throw EWFException("The page could not be rendered into the cache folder.");
}

TWFRenderStream::~TWFRenderStream() {
    if (file_ != nullptr) std::fclose(file_);
}

std::uint64_t TWFRenderStream::size() const {
    std::fflush(file_);
    struct stat info {};
    if (::fstat(fileno(file_), &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t TWFRenderStream::read(char* buffer, std::size_t capacity) {
    return std::fread(buffer, 1, capacity, file_);
}

void TWFRenderStream::rewind() {
    out_.flush();
    std::fflush(file_);
    std::rewind(file_);
}

TWFRenderStream::FileBuffer::int_type TWFRenderStream::FileBuffer::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    return std::fputc(ch, file_) == EOF ? traits_type::eof() : ch;
}

std::streamsize TWFRenderStream::FileBuffer::xsputn(const char* data, std::streamsize count) {
    return static_cast<std::streamsize>(std::fwrite(data, 1, static_cast<std::size_t>(count), file_));
}

int TWFRenderStream::FileBuffer::sync() {
    return std::fflush(file_) == 0 ? 0 : -1;
}

std::string CreateCacheFile(const std::string& prefix, const std::string& sessionFolder) {
    std::string folder = !sessionFolder.empty() ? sessionFolder : loadedCacheFolder();
    if (folder.empty()) folder = TemporaryFolder();
    std::string pattern = folder + text::toUpper(prefix) + "XXXXXX.tmp";
    int fd = mkstemps(pattern.data(), 4);
    if (fd < 0) {
        throw EWFException(kCacheWriteFailed);
    }
    ::close(fd);
    return pattern.substr(folder.size());
}

}  // namespace web
