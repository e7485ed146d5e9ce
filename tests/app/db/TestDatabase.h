#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Schema.h"
#include "tests/support/DatabaseRows.h"

namespace exam::db::testing {

// A fresh folder under the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "examdb-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline constexpr const char* kTestPassword = "secret";

// A new database file (schema and password "secret") with one open connection.
class DatabaseTest : public ::testing::Test {
protected:
    DatabaseTest() : file_(folder_.file("db1.db")) {
        InitDatabase(file_, InitOptions{kTestPassword, false});
        db_.Open(file_);
    }

    // Runs a statement with positional parameters and returns the number of changed rows.
    std::int64_t exec(const std::string& sql, std::initializer_list<Value> params = {}) {
        Query query(db_);
        query.SQL().Add(sql);
        query.Params(params);
        return query.ExecSQL();
    }

    // The first column of a one-value result, as text; "<none>" for no row.
    std::string scalar(const std::string& sql, std::initializer_list<Value> params = {}) {
        Query query(db_);
        query.SQL().Add(sql);
        query.Params(params);
        query.Open();
        return query.Eof() ? "<none>" : query.Fields(0).AsString();
    }

    int count(const std::string& sql, std::initializer_list<Value> params = {}) {
        Query query(db_);
        query.SQL().Add(sql);
        query.Params(params);
        query.Open();
        return query.RecordCount();
    }

    // Every row of a result, each column as text.
    std::vector<std::vector<std::string>> rows(const std::string& sql) { return ResultRows(db_, sql); }

    std::int64_t createExam(const std::string& name) {
        exec("INSERT INTO test (考试名称) VALUES (?)", {name});
        return db_.LastInsertId();
    }

    std::int64_t addQuestion(std::int64_t exam, const std::string& text = "题目\r\n",
                             const std::string& answer = "A", double points = 1) {
        exec("INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (?,?,?,?,?,?)",
             {exam, "单选题", text, "A.甲\r\nB.乙\r\n", answer, points});
        return db_.LastInsertId();
    }

    TempFolder folder_;
    std::filesystem::path file_;
    Database db_;
};

}  // namespace exam::db::testing
