#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/library/RemoteConnection.h"

namespace exam::library {

// A statement on the library connection with its rows, walked like the session's local
// queries: Open runs it and stands on the first row, Next moves on until Eof.
class RemoteQuery {
public:
    explicit RemoteQuery(RemoteConnection& connection) : connection_(connection) {}

    // Drops the previous rows, then runs `sql` with `params` bound to $1, $2, …
    void Open(std::string_view sql, const std::vector<std::string>& params);
    void Close() {
        result_.reset();
        row_ = 0;
    }
    bool Active() const { return result_.has_value(); }

    int RecordCount() const { return result_ ? result_->RowCount() : 0; }
    bool Eof() const { return row_ >= RecordCount(); }
    void First() { row_ = 0; }
    void Next() {
        if (!Eof()) ++row_;
    }
    // The current row's value as text; raises RemoteError for an unknown column or
    // when there is no current row.
    std::string FieldByName(std::string_view name) const;

private:
    RemoteConnection& connection_;
    std::optional<RemoteResult> result_;
    int row_ = 0;
};

}  // namespace exam::library
