#include "app/db/Query.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

#include "app/db/Database.h"
#include "app/db/DatabaseError.h"
#include "app/db/SelectScan.h"
#include "app/db/Statement.h"

namespace exam::db {
namespace {

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upperAscii(x) == upperAscii(y); });
}

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), upperAscii);
    return result;
}

bool contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// The engine's affinity rules, read the way a grid wants them.
std::optional<FieldType> typeFromDeclaration(const std::string& declared) {
    if (declared.empty()) return std::nullopt;
    const std::string decl = upper(declared);
    if (contains(decl, "DATE") || contains(decl, "TIME")) return FieldType::ftDateTime;
    if (contains(decl, "INT")) return FieldType::ftInteger;
    if (contains(decl, "LONG") || contains(decl, "MEMO") || contains(decl, "CLOB")) return FieldType::ftMemo;
    if (contains(decl, "CHAR") || contains(decl, "TEXT")) return FieldType::ftString;
    if (contains(decl, "BLOB")) return FieldType::ftBlob;
    return FieldType::ftFloat;
}

FieldType typeFromValues(const std::vector<std::vector<Value>>& rows, std::size_t column) {
    for (const auto& row : rows) {
        switch (row[column].kind()) {
            case Value::Kind::Null:
                continue;
            case Value::Kind::Integer:
                return FieldType::ftInteger;
            case Value::Kind::Float:
                return FieldType::ftFloat;
            case Value::Kind::Text:
                return FieldType::ftString;
        }
    }
    return FieldType::ftString;
}

// Transactions are the Transaction class's business; a stray BEGIN would bypass the gate.
void rejectTransactionControl(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ') ++start;
    std::size_t end = start;
    while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
    const std::string word = upper(text.substr(start, end - start));
    constexpr std::array kWords{"BEGIN", "COMMIT", "END", "ROLLBACK", "SAVEPOINT", "RELEASE"};
    if (std::find(kWords.begin(), kWords.end(), word) != kWords.end()) {
        throw DatabaseError(SQLITE_MISUSE,
                            "transactions are run with a Transaction object, not as statements");
    }
}

const Value kNull;

// The one table all table columns of the result come from; empty when there is none or
// there are several.
std::string singleTable(const Statement& statement) {
    std::string table;
    for (int column = 0; column < statement.columnCount(); ++column) {
        const std::string origin = statement.columnTable(column);
        if (origin.empty()) continue;
        if (!table.empty() && origin != table) return {};
        table = origin;
    }
    return table;
}

// The same select with the table's row id as one more, last column, and its text; nullptr
// when the statement does not allow it (an aliased table, a view, a compound select, ...).
std::unique_ptr<Statement> withRowIdColumn(db::Connection& connection, const std::string& text,
                                           const Statement& plain, std::string& augmented) {
    const std::string table = singleTable(plain);
    const auto from = findSimpleSelectFrom(text);
    if (table.empty() || !from || !plain.readOnly()) return nullptr;
    augmented = text.substr(0, *from) + ", " + quoteIdentifier(table) + ".rowid " + text.substr(*from);
    std::unique_ptr<Statement> statement;
    try {
        statement = std::make_unique<Statement>(connection, augmented);
    } catch (const DatabaseError&) {
        return nullptr;
    }
    const int last = plain.columnCount();
    if (statement->columnCount() != last + 1 || statement->columnTable(last) != table) return nullptr;
    return statement;
}

// The statement a select runs as on `connection`, with the number of its own columns
// (an added row id column comes after them). The connection remembers which text a
// select runs as, so a select seen before is one cache look-up and no preparation.
std::unique_ptr<Statement> prepareSelect(db::Connection& connection, const std::string& text, int& columns) {
    if (const std::string* runAs = connection.selectPlan(text)) {
        auto statement = std::make_unique<Statement>(connection, runAs->empty() ? text : *runAs);
        columns = statement->columnCount() - (runAs->empty() ? 0 : 1);
        return statement;
    }
    auto plain = std::make_unique<Statement>(connection, text);
    if (plain->columnCount() == 0) throw DatabaseError(SQLITE_MISUSE, "the statement returns no result set");
    columns = plain->columnCount();
    std::string augmentedText;
    auto augmented = withRowIdColumn(connection, text, *plain, augmentedText);
    connection.rememberSelectPlan(text, augmented ? augmentedText : std::string());
    return augmented ? std::move(augmented) : std::move(plain);
}

}  // namespace

Query::Query(Database& db) : db_(db), sql_([this] { statementChanged(); }) {}

void Query::statementChanged() {
    Close();
    ClearParams();
}

Query& Query::Param(int position, Value value) {
    if (position < 1) throw DatabaseError(SQLITE_RANGE, "parameter positions start at 1");
    positional_[position] = std::move(value);
    return *this;
}

Query& Query::Param(std::string_view name, Value value) {
    for (auto& [known, stored] : named_) {
        if (known == name) {
            stored = std::move(value);
            return *this;
        }
    }
    named_.emplace_back(std::string(name), std::move(value));
    return *this;
}

Query& Query::Params(std::initializer_list<Value> values) {
    positional_.clear();
    int position = 1;
    for (const Value& value : values) positional_[position++] = value;
    return *this;
}

void Query::ClearParams() {
    positional_.clear();
    named_.clear();
}

std::string Query::statementText() const {
    rejectTransactionControl(sql_.Text());
    return sql_.Text();
}

void Query::bindParams(Statement& statement) const {
    const int count = statement.parameterCount();
    std::vector<bool> bound(static_cast<std::size_t>(count) + 1, false);
    for (const auto& [position, value] : positional_) {
        if (position > count) {
            throw DatabaseError(SQLITE_RANGE, "the statement has no parameter " + std::to_string(position));
        }
        statement.bind(position, value);
        bound[static_cast<std::size_t>(position)] = true;
    }
    for (const auto& [name, value] : named_) {
        int index = statement.parameterIndex(name);
        const bool prefixed = !name.empty() && (name[0] == ':' || name[0] == '@' || name[0] == '$');
        for (const char prefix : {':', '@', '$'}) {
            if (index == 0 && !prefixed) index = statement.parameterIndex(std::string(1, prefix) + name);
        }
        if (index == 0) throw DatabaseError(SQLITE_RANGE, "the statement has no parameter '" + name + "'");
        statement.bind(index, value);
        bound[static_cast<std::size_t>(index)] = true;
    }
    for (int index = 1; index <= count; ++index) {
        if (!bound[static_cast<std::size_t>(index)]) {
            const std::string name = statement.parameterName(index);
            throw DatabaseError(SQLITE_RANGE, "no value given for parameter " +
                                                  (name.empty() ? std::to_string(index) : "'" + name + "'"));
        }
    }
}

void Query::Open() {
    Close();
    const std::string text = statementText();
    bool needsWrite = false;
    const auto run = [&](db::Connection& connection) {
        int columns = 0;
        const std::unique_ptr<Statement> statement = prepareSelect(connection, text, columns);
        if (!statement->readOnly() && !db_.InTransaction()) {
            needsWrite = true;  // run again inside a write transaction
            return;
        }
        const bool withRowIds = statement->columnCount() > columns;
        bindParams(*statement);
        std::vector<Row> rows;
        std::vector<std::int64_t> rowIds;
        if (!statement->readOnly()) db_.BeforeWrite(connection);
        while (statement->step()) {
            Row row;
            row.reserve(static_cast<std::size_t>(columns));
            for (int column = 0; column < columns; ++column) row.push_back(statement->column(column));
            rows.push_back(std::move(row));
            if (withRowIds) rowIds.push_back(statement->column(columns).toInteger());
        }
        if (!statement->readOnly()) db_.AfterWrite(connection);
        buildFields(*statement, rows, columns);
        rows_ = std::move(rows);
        rowIds_ = std::move(rowIds);
        hasRowIds_ = withRowIds;
        needsWrite = false;
    };
    db_.WithConnection(run);
    if (needsWrite) db_.Write([&] { db_.WithConnection(run); });
    state_ = DataSetState::dsBrowse;
    First();
}

void Query::buildFields(const Statement& statement, const std::vector<Row>& rows, int columns) {
    fields_.clear();
    for (int column = 0; column < columns; ++column) {
        const auto index = static_cast<std::size_t>(column);
        const FieldType type =
            typeFromDeclaration(statement.columnDeclType(column)).value_or(typeFromValues(rows, index));
        fields_.push_back(Field(*this, index, statement.columnName(column), type,
                                statement.columnTable(column), statement.columnOrigin(column)));
    }
}

std::int64_t Query::ExecSQL() {
    Close();
    const std::string text = statementText();
    std::int64_t changes = 0;
    bool needsWrite = false;
    const auto run = [&](db::Connection& connection) {
        Statement statement(connection, text);
        bindParams(statement);
        if (statement.readOnly()) {
            while (statement.step()) {
            }
            return;
        }
        if (!db_.InTransaction()) {
            needsWrite = true;  // run again inside a write transaction
            return;
        }
        db_.BeforeWrite(connection);
        while (statement.step()) {
        }
        changes = sqlite3_changes64(connection.handle());
        db_.AfterWrite(connection);
        needsWrite = false;
    };
    db_.WithConnection(run);
    if (needsWrite) db_.Write([&] { db_.WithConnection(run); });
    return changes;
}

void Query::Close() {
    state_ = DataSetState::dsInactive;
    fields_.clear();
    rows_.clear();
    hasRowIds_ = false;
    rowIds_.clear();
    buffer_.clear();
    modified_.clear();
    cursor_ = 0;
    bof_ = true;
    eof_ = true;
}

void Query::checkActive() const {
    if (!Active()) throw DatabaseError(SQLITE_MISUSE, "Cannot perform this operation on a closed dataset");
}

void Query::checkBrowsing() const {
    checkActive();
    if (state_ != DataSetState::dsBrowse) {
        throw DatabaseError(SQLITE_MISUSE, "Dataset is in edit or insert mode; post or cancel first");
    }
}

int Query::RecordCount() const {
    checkActive();
    return static_cast<int>(rows_.size());
}

void Query::First() {
    checkBrowsing();
    cursor_ = 0;
    bof_ = true;
    eof_ = rows_.empty();
}

void Query::Next() {
    checkBrowsing();
    if (eof_) return;
    if (cursor_ + 1 < rows_.size()) {
        ++cursor_;
        bof_ = false;
    } else {
        eof_ = true;
    }
}

void Query::Prior() {
    checkBrowsing();
    if (bof_) return;
    if (cursor_ > 0) {
        --cursor_;
        eof_ = false;
    } else {
        bof_ = true;
    }
}

void Query::Last() {
    checkBrowsing();
    cursor_ = rows_.empty() ? 0 : rows_.size() - 1;
    bof_ = rows_.empty();
    eof_ = true;
}

int Query::MoveBy(int distance) {
    checkBrowsing();
    int moved = 0;
    for (; distance > 0 && cursor_ + 1 < rows_.size(); --distance, ++moved) Next();
    for (; distance < 0 && cursor_ > 0; ++distance, --moved) Prior();
    if (distance > 0) eof_ = true;
    if (distance < 0) bof_ = true;
    return moved;
}

bool Query::Eof() const {
    return !Active() || eof_;
}

bool Query::Bof() const {
    return !Active() || bof_;
}

int Query::RecNo() const {
    checkActive();
    if (state_ == DataSetState::dsInsert) return static_cast<int>(rows_.size()) + 1;
    return rows_.empty() ? 0 : static_cast<int>(cursor_) + 1;
}

std::optional<Bookmark> Query::GetBookmark() const {
    if (!Active() || rows_.empty()) return std::nullopt;
    return cursor_;
}

void Query::GotoBookmark(Bookmark bookmark) {
    checkBrowsing();
    if (bookmark >= rows_.size()) throw DatabaseError(SQLITE_RANGE, "Record not found");
    cursor_ = bookmark;
    bof_ = false;
    eof_ = false;
}

Field& Query::Fields(int index) {
    checkActive();
    if (index < 0 || index >= FieldCount()) throw DatabaseError(SQLITE_RANGE, "List index out of bounds");
    return fields_[static_cast<std::size_t>(index)];
}

const Field& Query::Fields(int index) const {
    return const_cast<Query*>(this)->Fields(index);
}

Field* Query::FindField(std::string_view name) {
    for (Field& field : fields_) {
        if (equalsNoCase(field.FieldName(), name)) return &field;
    }
    return nullptr;
}

const Field* Query::FindField(std::string_view name) const {
    return const_cast<Query*>(this)->FindField(name);
}

Field& Query::FieldByName(std::string_view name) {
    checkActive();
    Field* field = FindField(name);
    if (field == nullptr) throw DatabaseError(SQLITE_ERROR, "Field '" + std::string(name) + "' not found");
    return *field;
}

const Field& Query::FieldByName(std::string_view name) const {
    return const_cast<Query*>(this)->FieldByName(name);
}

const Value& Query::valueAt(std::size_t index) const {
    checkActive();
    if (state_ == DataSetState::dsEdit || state_ == DataSetState::dsInsert) return buffer_[index];
    return rows_.empty() ? kNull : rows_[cursor_][index];
}

void Query::setValueAt(std::size_t index, Value value) {
    if (state_ != DataSetState::dsEdit && state_ != DataSetState::dsInsert) {
        throw DatabaseError(SQLITE_MISUSE, "Dataset not in edit or insert mode");
    }
    if (!fields_[index].CanModify()) {
        throw DatabaseError(SQLITE_MISUSE, "Field '" + fields_[index].FieldName() + "' cannot be modified");
    }
    buffer_[index] = std::move(value);
    modified_[index] = true;
}

std::string Query::editableTable() const {
    std::string table;
    for (const Field& field : fields_) {
        if (field.OriginTable().empty()) continue;
        if (!table.empty() && field.OriginTable() != table) {
            throw DatabaseError(SQLITE_MISUSE, "a result of more than one table cannot be changed");
        }
        table = field.OriginTable();
    }
    if (table.empty()) throw DatabaseError(SQLITE_MISUSE, "a result without table columns cannot be changed");
    return table;
}

void Query::Edit() {
    checkActive();
    if (state_ != DataSetState::dsBrowse) return;
    if (rows_.empty()) throw DatabaseError(SQLITE_MISUSE, "there is no current row to edit");
    editableTable();
    buffer_ = rows_[cursor_];
    modified_.assign(fields_.size(), false);
    state_ = DataSetState::dsEdit;
}

void Query::Append() {
    checkActive();
    if (state_ != DataSetState::dsBrowse) return;
    editableTable();
    buffer_.assign(fields_.size(), Value());
    modified_.assign(fields_.size(), false);
    state_ = DataSetState::dsInsert;
}

void Query::Cancel() {
    if (state_ != DataSetState::dsEdit && state_ != DataSetState::dsInsert) return;
    buffer_.clear();
    modified_.clear();
    state_ = DataSetState::dsBrowse;
}

void Query::Post() {
    if (state_ != DataSetState::dsEdit && state_ != DataSetState::dsInsert) {
        throw DatabaseError(SQLITE_MISUSE, "Dataset not in edit or insert mode");
    }
    const std::string table = editableTable();
    if (state_ == DataSetState::dsInsert) {
        postInsert(table);
    } else {
        postEdit(table);
    }
    buffer_.clear();
    modified_.clear();
    state_ = DataSetState::dsBrowse;
}

void Query::postInsert(const std::string& table) {
    std::string columns;
    std::string values;
    std::vector<const Value*> bound;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (!modified_[i]) continue;
        columns += (bound.empty() ? "" : ",") + quoteIdentifier(fields_[i].OriginColumn());
        values += bound.empty() ? "?" : ",?";
        bound.push_back(&buffer_[i]);
    }
    const std::string sql =
        "INSERT INTO " + quoteIdentifier(table) +
        (bound.empty() ? " DEFAULT VALUES" : " (" + columns + ") VALUES (" + values + ")");
    Row row;
    std::int64_t rowId = 0;
    db_.Write([&] {
        db_.WithConnection([&](db::Connection& connection) {
            Statement statement(connection, sql);
            for (std::size_t i = 0; i < bound.size(); ++i) statement.bind(static_cast<int>(i) + 1, *bound[i]);
            db_.BeforeWrite(connection);
            statement.step();
            db_.AfterWrite(connection);
            rowId = sqlite3_last_insert_rowid(connection.handle());
            row = readBack(connection, table, rowId);
        });
    });
    rows_.push_back(std::move(row));
    if (hasRowIds_) rowIds_.push_back(rowId);
    cursor_ = rows_.size() - 1;
    bof_ = rows_.size() == 1;
    eof_ = false;
}

void Query::postEdit(const std::string& table) {
    if (std::find(modified_.begin(), modified_.end(), true) == modified_.end()) return;
    const Row& original = rows_[cursor_];
    // The row is found by its row id where known and by every value read from it, compared
    // exactly, so a row changed meanwhile is not overwritten.
    const Value knownRowId = hasRowIds_ ? Value(rowIds_[cursor_]) : Value();
    std::string where = hasRowIds_ ? "rowid=?" : "";
    std::vector<const Value*> keys;
    if (hasRowIds_) keys.push_back(&knownRowId);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (!fields_[i].CanModify()) continue;
        where += (where.empty() ? "" : " AND ") + quoteIdentifier(fields_[i].OriginColumn()) +
                 " IS ? COLLATE BINARY";
        keys.push_back(&original[i]);
    }
    std::string assignments;
    std::vector<const Value*> values;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (!modified_[i]) continue;
        assignments += (values.empty() ? "" : ",") + quoteIdentifier(fields_[i].OriginColumn()) + "=?";
        values.push_back(&buffer_[i]);
    }
    Row row;
    db_.Write([&] {
        db_.WithConnection([&](db::Connection& connection) {
            Statement locate(connection,
                             "SELECT rowid FROM " + quoteIdentifier(table) + " WHERE " + where + " LIMIT 2");
            for (std::size_t i = 0; i < keys.size(); ++i) locate.bind(static_cast<int>(i) + 1, *keys[i]);
            if (!locate.step()) {
                throw DatabaseError(SQLITE_NOTFOUND,
                                    "Row cannot be located for updating; it was changed or deleted");
            }
            const std::int64_t rowId = locate.column(0).integer();
            if (locate.step()) {
                throw DatabaseError(SQLITE_CONSTRAINT,
                                    "Row cannot be located for updating; several rows match");
            }
            Statement update(connection,
                             "UPDATE " + quoteIdentifier(table) + " SET " + assignments + " WHERE rowid=?");
            for (std::size_t i = 0; i < values.size(); ++i) update.bind(static_cast<int>(i) + 1, *values[i]);
            update.bind(static_cast<int>(values.size()) + 1, Value(rowId));
            update.step();
            row = readBack(connection, table, rowId);
        });
    });
    rows_[cursor_] = std::move(row);
}

bool Query::Editing() const {
    return state_ == DataSetState::dsEdit || state_ == DataSetState::dsInsert;
}

namespace {

web::forms::TWFFieldInfo fieldInfoOf(const Field& field) {
    web::forms::TWFFieldInfo info;
    info.FieldName = field.FieldName();
    info.DisplayName = field.FieldName();
    info.Kind = field.IsBlob() ? web::forms::TWFFieldKind::fkMemo : web::forms::TWFFieldKind::fkText;
    return info;
}

}  // namespace

std::vector<web::forms::TWFFieldInfo> Query::FieldInfos() const {
    std::vector<web::forms::TWFFieldInfo> infos;
    for (const Field& field : fields_) infos.push_back(fieldInfoOf(field));
    return infos;
}

web::forms::TWFFieldInfo Query::FieldInfo(std::string_view name) const {
    return fieldInfoOf(FieldByName(name));
}

std::string Query::FieldText(std::string_view name) const {
    return FieldByName(name).AsString();
}

Query::Row Query::readBack(db::Connection& connection, const std::string& table, std::int64_t rowId) const {
    std::string columns;
    for (const Field& field : fields_) {
        if (!field.CanModify()) continue;
        columns += (columns.empty() ? "" : ",") + quoteIdentifier(field.OriginColumn());
    }
    Statement statement(connection,
                        "SELECT " + columns + " FROM " + quoteIdentifier(table) + " WHERE rowid=?");
    statement.bind(1, Value(rowId));
    if (!statement.step()) throw DatabaseError(SQLITE_NOTFOUND, "the written row cannot be read back");
    Row row = buffer_;  // expression columns keep what they held
    int column = 0;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].CanModify()) row[i] = statement.column(column++);
    }
    return row;
}

}  // namespace exam::db
