#pragma once

#include <cstdio>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "web/server/ContentStream.h"

namespace web {

// The temporary file a page is rendered into and sent from, so a large page is never
// held in memory. The file lives in the cache folder's "temp" subfolder and is gone
// when the stream is freed (it is unlinked as soon as it is open).
class TWFRenderStream final : public ContentStream {
public:
    TWFRenderStream();
    ~TWFRenderStream() override;
    TWFRenderStream(const TWFRenderStream&) = delete;
    TWFRenderStream& operator=(const TWFRenderStream&) = delete;

    // Where the page writes; flush it before the stream is read.
    std::ostream& stream() { return out_; }

    std::uint64_t size() const override;
    std::size_t read(char* buffer, std::size_t capacity) override;
    void rewind() override;

private:
    class FileBuffer : public std::streambuf {
    public:
        explicit FileBuffer(std::FILE* file) : file_(file) {}

    protected:
        int_type overflow(int_type ch) override;
        std::streamsize xsputn(const char* data, std::streamsize count) override;
        int sync() override;

    private:
        std::FILE* file_;
    };

    std::FILE* file_ = nullptr;
    std::unique_ptr<FileBuffer> buffer_;
    std::ostream out_;
};

// A new empty file for generated content in the session's cache folder (or, with an
// empty `sessionFolder`, the cache folder itself): the upper-cased prefix, six random
// letters or digits and ".tmp" ("MIMEa81QzK.tmp"). Returns its name inside the folder. Fails with the
// cache-folder message when it cannot be created.
std::string CreateCacheFile(const std::string& prefix, const std::string& sessionFolder = "");

}  // namespace web
