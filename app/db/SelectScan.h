#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace exam::db {

// For a plain "SELECT <columns> FROM ..." statement, the offset of its top-level FROM,
// where one more result column can be added without changing the result otherwise.
// nullopt for anything else: compound selects, DISTINCT or ALL, GROUP BY, WITH clauses,
// other statements, and text the scan cannot follow (an unclosed quote or comment).
// Quoted texts and identifiers, comments and parenthesised parts are skipped.
std::optional<std::size_t> findSimpleSelectFrom(std::string_view sql);

}  // namespace exam::db
