#pragma once

#include <string_view>

namespace web {

// Where reply bytes go. write() throws when the peer is gone.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

}  // namespace web
