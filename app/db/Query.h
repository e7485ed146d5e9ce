#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/db/Field.h"
#include "app/db/SqlLines.h"
#include "app/db/Value.h"
#include "web/forms/TWFDataSet.h"

namespace exam::db {

class Connection;
class Database;
class Statement;

enum class DataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// A position in an open result: the row index.
using Bookmark = std::size_t;

// A query on a Database. Open runs a statement on a borrowed connection, reads its whole
// result into memory and finishes the statement at once, so no statement, read
// transaction or connection is held between requests; the walk (First, Next, Eof, bookmarks) then moves over
// those rows. Values reach the statement only as bound parameters: "?" / "?NNN" by position, and
// ":name", "@name" or "$name" by name. Writes (ExecSQL, Post, and Open of a statement that
// changes data) run as write transactions, or join the connection's open Transaction.
//
//     tem.Close();
//     tem.SQL().Clear();
//     tem.SQL().Add("select 1 from cj where testid=? and 姓名=?and 考试标识=?");
//     tem.Params({examId, name, tag});
//     tem.Open();
//     if (tem.RecordCount() > 0) ...
//
// An open query is also the data set a database grid walks (web::forms::TWFDataSet).
class Query : public web::forms::TWFDataSet {
public:
    explicit Query(Database& db);
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Database& Connection() const { return db_; }

    // The statement text; changing it closes the query and clears its parameters.
    SqlLines& SQL() { return sql_; }
    const SqlLines& SQL() const { return sql_; }

    // Parameter values, kept until the text changes or ClearParams. Positions are 1-based
    // (the first "?" is 1); a name may be given with or without its ":", "@" or "$".
    Query& Param(int position, Value value);
    Query& Param(std::string_view name, Value value);
    // Replaces the positional parameters by `values`, in order from position 1.
    Query& Params(std::initializer_list<Value> values);
    void ClearParams();

    // Runs a statement that returns rows and stands on the first one (Eof at once for an
    // empty result). Opening an open query runs its statement again.
    void Open();
    // Runs a statement without reading a result; returns the number of rows it changed.
    std::int64_t ExecSQL();
    // Releases the result (a pending edit or append is dropped).
    void Close();
    bool Active() const override { return state_ != DataSetState::dsInactive; }
    DataSetState State() const { return state_; }

    // The walk over the open result.
    int RecordCount() const override;
    bool IsEmpty() const { return RecordCount() == 0; }
    void First() override;
    void Next() override;
    void Prior();
    void Last();
    // Moves by `distance` rows (negative: backwards) and returns how far it moved.
    int MoveBy(int distance) override;
    bool Eof() const override;
    bool Bof() const;
    // 1-based number of the current row; 0 for an empty result.
    int RecNo() const override;
    std::optional<Bookmark> GetBookmark() const override;
    void GotoBookmark(Bookmark bookmark) override;

    // The result's columns. Names are matched with the case of Latin letters ignored;
    // FieldByName raises DatabaseError for an unknown name, FindField gives nullptr.
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    Field& Fields(int index);
    const Field& Fields(int index) const;
    Field& FieldByName(std::string_view name);
    const Field& FieldByName(std::string_view name) const;
    Field* FindField(std::string_view name);
    const Field* FindField(std::string_view name) const;

    // Changing rows through a result of one table. Edit changes the current row, Append
    // starts a new one whose unset columns take the table's defaults; Post writes it and
    // reads it back, so an appended row's new key is then readable from its fields.
    // Edit finds its row by its row id (read along with a plain single-table select) and the
    // values read, and refuses when those values changed meanwhile; without a row id, by
    // the values alone, refusing when they do not match exactly one row.
    void Edit();
    void Append();
    void Post();
    void Cancel();

    // --- the data set a grid reads ----------------------------------------------------
    // True in edit or insert state.
    bool Editing() const override;
    // Every field is visible under its own name; long texts and binary columns are memos.
    std::vector<web::forms::TWFFieldInfo> FieldInfos() const override;
    // Unknown names raise DatabaseError, as FieldByName does.
    web::forms::TWFFieldInfo FieldInfo(std::string_view name) const override;
    std::string FieldText(std::string_view name) const override;

private:
    friend class Field;
    using Row = std::vector<Value>;

    const Value& valueAt(std::size_t index) const;
    void setValueAt(std::size_t index, Value value);

    void checkActive() const;
    void checkBrowsing() const;
    void statementChanged();
    std::string statementText() const;
    void bindParams(Statement& statement) const;
    void buildFields(const Statement& statement, const std::vector<Row>& rows, int columns);
    std::string editableTable() const;
    void postInsert(const std::string& table);
    void postEdit(const std::string& table);
    Row readBack(db::Connection& connection, const std::string& table, std::int64_t rowId) const;

    Database& db_;
    SqlLines sql_;
    std::map<int, Value> positional_;
    std::vector<std::pair<std::string, Value>> named_;

    DataSetState state_ = DataSetState::dsInactive;
    std::vector<Field> fields_;
    std::vector<Row> rows_;
    std::size_t cursor_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    // The engine's row ids of the rows, read along where the statement allows (one table,
    // plain select); they let Edit find its row even when the values read are not unique.
    bool hasRowIds_ = false;
    std::vector<std::int64_t> rowIds_;
    // The row being edited or appended, and which of its columns were set.
    Row buffer_;
    std::vector<bool> modified_;
};

}  // namespace exam::db
