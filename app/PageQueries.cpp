#include "app/PageQueries.h"

namespace exam {
namespace {

void prepare(db::Query& query, std::string_view sql, std::span<const db::Value> params) {
    query.Close();
    query.SQL().Clear();
    query.SQL().Add(sql);
    query.ClearParams();
    int position = 1;
    for (const db::Value& value : params) query.Param(position++, value);
}

}  // namespace

void OpenStatement(db::Query& query, std::string_view sql, std::initializer_list<db::Value> params) {
    prepare(query, sql, std::span<const db::Value>(params.begin(), params.size()));
    query.Open();
}

void ExecuteStatement(db::Query& query, std::string_view sql, std::initializer_list<db::Value> params) {
    ExecuteStatement(query, sql, std::span<const db::Value>(params.begin(), params.size()));
}

void ExecuteStatement(db::Query& query, std::string_view sql, std::span<const db::Value> params) {
    prepare(query, sql, params);
    query.ExecSQL();
}

}  // namespace exam
