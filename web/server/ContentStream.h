#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace web {

// The body of a reply that is not held as text: an internal resource, a file on disk or a
// rendered page in its temporary file. The reply writer reads it from the start.
class ContentStream {
public:
    virtual ~ContentStream() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to `capacity` bytes; 0 at the end.
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
    virtual void rewind() = 0;
    // Appends everything not yet read to `out` when the stream holds it in memory (one
    // copy, no buffer in between) and returns true; false, appending nothing, otherwise.
    virtual bool appendRest(std::string& /*out*/) { return false; }
    // Hands the whole body over to `out` (replacing what it held) when the stream owns it
    // in memory and nothing was read yet, and returns true; the stream is then empty.
    // False, leaving `out` alone, otherwise.
    virtual bool takeAll(std::string& /*out*/) { return false; }
};

// Read-only stream over bytes that outlive it (the program's embedded resources).
class MemoryContentStream final : public ContentStream {
public:
    explicit MemoryContentStream(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t read(char* buffer, std::size_t capacity) override;
    void rewind() override { position_ = 0; }
    bool appendRest(std::string& out) override {
        out.append(bytes_.substr(position_));
        position_ = bytes_.size();
        return true;
    }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// Read-only stream over a file; the descriptor is closed with the stream.
class FileContentStream final : public ContentStream {
public:
    // Opens `path` for reading; throws std::system_error when it cannot be opened.
    explicit FileContentStream(const std::string& path);
    ~FileContentStream() override;
    FileContentStream(const FileContentStream&) = delete;
    FileContentStream& operator=(const FileContentStream&) = delete;

    std::uint64_t size() const override;
    std::size_t read(char* buffer, std::size_t capacity) override;
    void rewind() override;

private:
    int fd_ = -1;
};

// Reads the whole stream into a text (tests and small bodies).
std::string readAll(ContentStream& stream);

}  // namespace web
