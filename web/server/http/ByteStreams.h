#pragma once

#include <cstddef>
#include <string_view>

namespace web {

// Where request bytes come from (a socket, or a text in tests). read() returns 0 at the
// end of the data and throws on a failed connection.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
};

// Where reply bytes go. write() throws when the peer is gone.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

}  // namespace web
