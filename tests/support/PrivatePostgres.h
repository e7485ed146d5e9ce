#pragma once

#include <string>

namespace testing_support {

// A PostgreSQL server of the tests' own (scripts/private-postgres.sh): initdb into a fresh
// folder, run as an unprivileged user, reached only through a Unix socket in that folder,
// with a shared-exam library made by scripts/library.sh. One server serves a whole test
// program; it stops when the program ends.
class PrivatePostgres {
public:
    // The program's server, started at the first call; nullptr when the PostgreSQL server
    // programs are not installed (SkipReason says so) or it could not start.
    static PrivatePostgres* Shared();
    static const std::string& SkipReason();

    ~PrivatePostgres();
    PrivatePostgres(const PrivatePostgres&) = delete;
    PrivatePostgres& operator=(const PrivatePostgres&) = delete;

    // The library's connection string, for -library and the settings.
    const std::string& LibraryConnection() const { return library_; }
    // Runs `sql` (statements without results) on the library as its owner; throws on failure.
    void Run(const std::string& sql) const;
    // Empties the library and restarts its numbers at 1.
    void Clear() const { Run("TRUNCATE zxtest, zxtm RESTART IDENTITY"); }

private:
    explicit PrivatePostgres(std::string folder);

    std::string folder_;
    std::string library_;
};

}  // namespace testing_support
