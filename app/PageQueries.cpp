#include "app/PageQueries.h"

namespace exam {
namespace {

void prepare(db::Query& query, std::string_view sql, std::initializer_list<db::Value> params) {
    query.Close();
    query.SQL().Clear();
    query.SQL().Add(sql);
    query.Params(params);
}

}  // namespace

void OpenStatement(db::Query& query, std::string_view sql, std::initializer_list<db::Value> params) {
    prepare(query, sql, params);
    query.Open();
}

void ExecuteStatement(db::Query& query, std::string_view sql, std::initializer_list<db::Value> params) {
    prepare(query, sql, params);
    query.ExecSQL();
}

}  // namespace exam
