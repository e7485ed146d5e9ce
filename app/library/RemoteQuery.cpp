#include "app/library/RemoteQuery.h"

namespace exam::library {

void RemoteQuery::Open(std::string_view sql, const std::vector<std::string>& params) {
    Close();
    result_.emplace(connection_.Execute(sql, params));
}

std::string RemoteQuery::FieldByName(std::string_view name) const {
    if (Eof()) throw RemoteError("There is no current row to read " + std::string(name) + " from.");
    return result_->Text(row_, name);
}

}  // namespace exam::library
