#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace exam::db {

class Database;

// What a new database file starts with.
struct InitOptions {
    // The administrator password; a random one is generated when absent.
    std::optional<std::string> password;
    // Adds a small general-knowledge exam with two questions of each type.
    bool sampleExam = false;
};

// Creates the exam database `file` (normally kDatabaseFileName in the working directory)
// with its tables, indexes and the password row, and returns the administrator password
// so the caller can show it once. Refuses, with std::runtime_error, when the file or a
// journal of it already exists, and with std::invalid_argument for a password that is
// empty or starts or ends with a blank (the login trims what is typed). A half-made file
// is removed again.
std::string InitDatabase(const std::filesystem::path& file, const InitOptions& options = {});

// Replaces the administrator password of the existing database `file` in one write
// transaction, so it is safe while a server works on the same file. Refuses, with
// std::runtime_error, a file that does not exist (it is never created here), and with
// std::invalid_argument the passwords InitDatabase refuses.
void ResetPassword(const std::filesystem::path& file, const std::string& password);

// The layout version a new file gets (kept in PRAGMA user_version).
inline constexpr std::int64_t kSchemaVersion = 2;

// The layout version of the open file; a file from before versions were kept counts as 1.
// 0 for a file without the exam tables.
std::int64_t SchemaVersion(Database& db);

// Brings an older file up to kSchemaVersion in one write transaction (all steps or none);
// true when it changed anything. A file of a newer version is never downgraded: it is
// refused with std::runtime_error, whose message says so, and left as it is.
bool UpgradeSchema(Database& db);
// The same for the file `file`, when it exists; false when there is none.
bool UpgradeDatabase(const std::filesystem::path& file);

// The tables and indexes, created through `db` inside its open transaction.
void CreateSchema(Database& db);

// The sample exam (see InitOptions); returns its `test`.`id`.
std::int64_t InsertSampleExam(Database& db);

// Twelve characters of lower-case letters and digits, without look-alikes (l, o, 0, 1).
std::string GeneratePassword();

}  // namespace exam::db
