#include "app/db/Statement.h"

#include <sqlite3.h>

#include <climits>

#include "app/db/Connection.h"
#include "app/db/DatabaseError.h"

namespace exam::db {
namespace {

bool onlySeparators(const char* text) {
    for (; *text != '\0'; ++text) {
        const unsigned char c = static_cast<unsigned char>(*text);
        if (c > ' ' && c != ';') return false;
    }
    return true;
}

std::string textOrEmpty(const char* text) {
    return text == nullptr ? std::string() : std::string(text);
}

}  // namespace

void raiseEngineError(sqlite3* db, int code) {
    const char* message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int extended = db != nullptr ? sqlite3_extended_errcode(db) : code;
    throw DatabaseError(extended, message);
}

std::string quoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sql.size() >= static_cast<std::size_t>(INT_MAX))
        throw DatabaseError(SQLITE_TOOBIG, "statement too long");
    const std::string text(sql);  // the tail check needs a terminated text
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()) + 1, &stmt_, &tail);
    if (rc != SQLITE_OK) fail(rc);
    if (stmt_ == nullptr) throw DatabaseError(SQLITE_MISUSE, "the statement text is empty");
    if (tail != nullptr && !onlySeparators(tail)) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw DatabaseError(SQLITE_MISUSE, "the statement text holds more than one statement");
    }
}

Statement::Statement(Connection& connection, std::string_view sql) : db_(connection.handle()) {
    try {
        stmt_ = connection.checkOut(sql, cached_);
    } catch (const DatabaseError& error) {
        if (breaksConnection(error.code())) connection.markBroken();
        throw;
    }
    connection_ = &connection;
}

Statement::~Statement() {
    if (connection_ != nullptr) {
        connection_->checkIn(stmt_, cached_);
    } else {
        sqlite3_finalize(stmt_);
    }
}

void Statement::fail(int code) const {
    if (connection_ != nullptr && breaksConnection(sqlite3_extended_errcode(db_))) connection_->markBroken();
    raiseEngineError(db_, code);
}

int Statement::parameterCount() const {
    return sqlite3_bind_parameter_count(stmt_);
}

int Statement::parameterIndex(std::string_view name) const {
    return sqlite3_bind_parameter_index(stmt_, std::string(name).c_str());
}

std::string Statement::parameterName(int index) const {
    return textOrEmpty(sqlite3_bind_parameter_name(stmt_, index));
}

void Statement::bind(int index, const Value& value) {
    int rc = SQLITE_OK;
    switch (value.kind()) {
        case Value::Kind::Null:
            rc = sqlite3_bind_null(stmt_, index);
            break;
        case Value::Kind::Integer:
            rc = sqlite3_bind_int64(stmt_, index, value.integer());
            break;
        case Value::Kind::Float:
            rc = sqlite3_bind_double(stmt_, index, value.number());
            break;
        case Value::Kind::Text: {
            // std::string::data() is never null, so the empty text binds as '' and not as null.
            const std::string& text = value.text();
            rc = sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
    }
    if (rc != SQLITE_OK) fail(rc);
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    fail(rc);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
}

bool Statement::readOnly() const {
    return sqlite3_stmt_readonly(stmt_) != 0;
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

std::string Statement::columnName(int column) const {
    return textOrEmpty(sqlite3_column_name(stmt_, column));
}

std::string Statement::columnDeclType(int column) const {
    return textOrEmpty(sqlite3_column_decltype(stmt_, column));
}

std::string Statement::columnTable(int column) const {
    return textOrEmpty(sqlite3_column_table_name(stmt_, column));
}

std::string Statement::columnOrigin(int column) const {
    return textOrEmpty(sqlite3_column_origin_name(stmt_, column));
}

Value Statement::column(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_INTEGER:
            return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt_, column)));
        case SQLITE_FLOAT:
            return Value(sqlite3_column_double(stmt_, column));
        case SQLITE_NULL:
            return Value();
        default: {
            // Text, and blobs read as their bytes.
            const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
            const int size = sqlite3_column_bytes(stmt_, column);
            return Value(std::string(data == nullptr ? "" : data, static_cast<std::size_t>(size)));
        }
    }
}

}  // namespace exam::db
