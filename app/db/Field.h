#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/db/Value.h"

namespace exam::db {

class Query;

// The kind of a column, from its declared type (or, for an expression, from its values).
enum class FieldType { ftString, ftMemo, ftInteger, ftFloat, ftDateTime, ftBlob };

// One column of a query's result, read on the query's current row. A field belongs to the
// query and stays valid until the query is closed or opened again.
class Field {
public:
    const std::string& FieldName() const { return name_; }
    FieldType DataType() const { return type_; }
    // Long text or binary content, which a grid shows whole.
    bool IsBlob() const { return type_ == FieldType::ftMemo || type_ == FieldType::ftBlob; }
    // The table column the field comes from; empty for an expression.
    const std::string& OriginTable() const { return table_; }
    const std::string& OriginColumn() const { return column_; }
    // Only fields that come from a table column can be set.
    bool CanModify() const { return !column_.empty(); }

    bool IsNull() const;
    const Value& AsValue() const;
    // Null reads as "", 0 and 0.0. Integers give decimal digits, numbers their general
    // form (formatNumber), date-times the stored local date and time text.
    std::string AsString() const;
    std::int64_t AsInteger() const;
    double AsFloat() const;
    // Null reads as the start of 1970; text that is no date and time raises DatabaseError.
    std::chrono::local_seconds AsDateTime() const;

    // Change the row being edited or appended (Query::Edit, Query::Append).
    void SetAsString(std::string_view text);
    void SetAsInteger(std::int64_t value);
    void SetAsFloat(double value);
    void SetAsDateTime(std::chrono::local_seconds time);
    void SetValue(Value value);
    void Clear();

private:
    friend class Query;
    Field(Query& owner, std::size_t index, std::string name, FieldType type, std::string table,
          std::string column)
        : owner_(&owner),
          index_(index),
          name_(std::move(name)),
          type_(type),
          table_(std::move(table)),
          column_(std::move(column)) {}

    Query* owner_;
    std::size_t index_;
    std::string name_;
    FieldType type_;
    std::string table_;
    std::string column_;
};

}  // namespace exam::db
