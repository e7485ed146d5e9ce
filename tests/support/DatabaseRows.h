#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/db/Database.h"

namespace exam::db::testing {

// Every row of the result of `sql` on `db`, each column as text.
std::vector<std::vector<std::string>> ResultRows(Database& db, const std::string& sql);

// Every row of the result of `sql` on the database file `file`, its columns joined by "|".
std::vector<std::string> JoinedRows(const std::filesystem::path& file, const std::string& sql);

}  // namespace exam::db::testing
