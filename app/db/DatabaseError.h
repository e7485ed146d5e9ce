#pragma once

#include <stdexcept>
#include <string>

namespace exam::db {

// Every failure of the database layer. For engine failures the message is the engine's own
// and `code` its (extended) result code; the layer's own refusals use the code of the
// engine's nearest kind (misuse, range, not found).
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}

    int code() const { return code_; }

private:
    int code_;
};

}  // namespace exam::db
