#include "tests/support/DatabaseRows.h"

#include "app/db/Query.h"

namespace exam::db::testing {

std::vector<std::vector<std::string>> ResultRows(Database& db, const std::string& sql) {
    Query query(db);
    query.SQL().SetText(sql);
    query.Open();
    std::vector<std::vector<std::string>> result;
    for (query.First(); !query.Eof(); query.Next()) {
        std::vector<std::string> row;
        for (int i = 0; i < query.FieldCount(); ++i) row.push_back(query.Fields(i).AsString());
        result.push_back(std::move(row));
    }
    return result;
}

std::vector<std::string> JoinedRows(const std::filesystem::path& file, const std::string& sql) {
    Database db(file);
    std::vector<std::string> result;
    for (const std::vector<std::string>& columns : ResultRows(db, sql)) {
        std::string row;
        for (std::size_t i = 0; i < columns.size(); ++i) row += (i ? "|" : "") + columns[i];
        result.push_back(std::move(row));
    }
    return result;
}

}  // namespace exam::db::testing
