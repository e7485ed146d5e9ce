#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/db/Value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace exam::db {

class Connection;

// One prepared engine statement, finished when this object goes: the layer prepares,
// runs and finishes a statement within one call, so no statement outlives a request.
class Statement {
public:
    // Prepares `sql`, which must hold exactly one statement (a trailing ";" is fine).
    Statement(sqlite3* db, std::string_view sql);
    // The same, from the connection's statement cache: the statement goes back to the
    // cache, reset and without its values, when this object goes. An engine fault that
    // breaks the connection marks it for replacement.
    Statement(Connection& connection, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int parameterCount() const;
    // 1-based index of the named parameter (":name", "@name" or "$name"), 0 when absent.
    int parameterIndex(std::string_view name) const;
    std::string parameterName(int index) const;
    void bind(int index, const Value& value);

    // Runs to the next row: true with a row to read, false when done.
    bool step();
    // Ends the run, so the statement holds nothing of the transaction any more.
    void reset();

    bool readOnly() const;
    int columnCount() const;
    std::string columnName(int column) const;
    // The declared type of the column's source, empty for an expression.
    std::string columnDeclType(int column) const;
    // The table and column a result column comes from, empty for an expression.
    std::string columnTable(int column) const;
    std::string columnOrigin(int column) const;
    Value column(int column) const;

private:
    [[noreturn]] void fail(int code) const;

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    Connection* connection_ = nullptr;
    bool cached_ = false;
};

// Writes `name` as a quoted identifier: "name" with inner quotes doubled.
std::string quoteIdentifier(std::string_view name);

// Raises the connection's last error as DatabaseError.
[[noreturn]] void raiseEngineError(sqlite3* db, int code);

}  // namespace exam::db
