#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "app/db/Query.h"
#include "app/db/Value.h"

namespace exam {

// How pages and the exam's units run a statement on a query (one of the session's, or a
// unit's own): the query is closed and cleared first, so nothing of an earlier statement
// carries over, and the values are bound as parameters.
void OpenStatement(db::Query& query, std::string_view sql, std::initializer_list<db::Value> params);
void ExecuteStatement(db::Query& query, std::string_view sql, std::initializer_list<db::Value> params);
// The same for a statement whose number of parameters is known only when it runs.
void ExecuteStatement(db::Query& query, std::string_view sql, std::span<const db::Value> params);

}  // namespace exam
