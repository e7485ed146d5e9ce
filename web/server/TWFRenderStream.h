#pragma once

#include <cstdio>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "web/server/ContentStream.h"

namespace web {

// What a page is rendered into and sent from. An ordinary page stays in memory and is sent
// as it is, so nothing is created or unlinked for it; a page that grows beyond
// kSpillThreshold moves into a temporary file (in the "temp" subfolder of the server's cache
// folder, unlinked as soon as it is open), so a large page is never held in memory as a whole.
class TWFRenderStream final : public ContentStream {
public:
    static constexpr std::size_t kSpillThreshold = 1024 * 1024;

    // `cacheFolder` is the server's; empty (no server) means the system's temporary folder.
    explicit TWFRenderStream(std::string cacheFolder);
    ~TWFRenderStream() override;
    TWFRenderStream(const TWFRenderStream&) = delete;
    TWFRenderStream& operator=(const TWFRenderStream&) = delete;

    // Where the page writes; flush it before the stream is read.
    std::ostream& stream() { return out_; }
    // Writes a whole page to `out`. When `out` is a render stream that holds nothing yet and
    // the page fits in memory, the stream takes the text over instead of copying it.
    static void Write(std::ostream& out, std::string&& page);
    // True once the page outgrew memory and went to its temporary file.
    bool spilled() const { return file_ != nullptr; }

    std::uint64_t size() const override;
    std::size_t read(char* buffer, std::size_t capacity) override;
    void rewind() override;
    bool appendRest(std::string& out) override;
    bool takeAll(std::string& out) override;

private:
    // Hands everything written to the stream to append().
    class Buffer : public std::streambuf {
    public:
        explicit Buffer(TWFRenderStream& owner) : owner_(owner) {}

    protected:
        int_type overflow(int_type ch) override;
        std::streamsize xsputn(const char* data, std::streamsize count) override;

    private:
        friend class TWFRenderStream;
        TWFRenderStream& owner_;
    };

    bool append(const char* data, std::size_t count);
    void spill();

    std::string cacheFolder_;
    std::string memory_;
    std::size_t position_ = 0;
    std::FILE* file_ = nullptr;
    Buffer buffer_;
    std::ostream out_;
};

// A new empty file for generated content in `folder` (a session's cache folder or the
// server's; empty means the system's temporary folder): the upper-cased prefix, six random
// letters or digits and ".tmp" ("MIMEa81QzK.tmp"). Returns its name inside the folder.
// Fails with the cache-folder message when it cannot be created.
std::string CreateCacheFile(const std::string& prefix, const std::string& folder);

}  // namespace web
