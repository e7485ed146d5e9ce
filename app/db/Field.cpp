#include "app/db/Field.h"

#include <sqlite3.h>

#include "app/db/DatabaseError.h"
#include "app/db/DateTime.h"
#include "app/db/Query.h"

namespace exam::db {

const Value& Field::AsValue() const {
    return owner_->valueAt(index_);
}

bool Field::IsNull() const {
    return AsValue().isNull();
}

std::string Field::AsString() const {
    return AsValue().toString();
}

std::int64_t Field::AsInteger() const {
    return AsValue().toInteger();
}

double Field::AsFloat() const {
    return AsValue().toFloat();
}

std::chrono::local_seconds Field::AsDateTime() const {
    const Value& value = AsValue();
    if (value.isNull()) return {};
    const auto time = parseDateTime(value.toString());
    if (!time) {
        throw DatabaseError(SQLITE_MISMATCH, "'" + value.toString() + "' is not a valid date and time");
    }
    return *time;
}

void Field::SetAsString(std::string_view text) {
    SetValue(Value(text));
}

void Field::SetAsInteger(std::int64_t value) {
    SetValue(Value(value));
}

void Field::SetAsFloat(double value) {
    SetValue(Value(value));
}

void Field::SetAsDateTime(std::chrono::local_seconds time) {
    SetValue(Value(formatDateTime(time)));
}

void Field::Clear() {
    SetValue(Value());
}

void Field::SetValue(Value value) {
    owner_->setValueAt(index_, std::move(value));
}

}  // namespace exam::db
