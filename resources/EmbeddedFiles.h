#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace resources {

// One file of resources/ compiled into the program.
struct EmbeddedFile {
    std::string_view path;  // relative to resources/, for example "gfx/Tp.gif"
    const unsigned char* data;
    std::size_t size;

    std::string_view bytes() const { return {reinterpret_cast<const char*>(data), size}; }
};

std::span<const EmbeddedFile> embeddedFiles();

// The embedded file at `path` (relative to resources/), or nullptr.
const EmbeddedFile* findEmbeddedFile(std::string_view path);

}  // namespace resources
