#include "tests/support/PrivatePostgres.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

namespace testing_support {
namespace {

struct PipeCloser {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

// Runs a shell command; its standard output, or nullopt when it failed.
std::optional<std::string> runCommand(const std::string& command) {
    std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
    if (pipe == nullptr) return std::nullopt;
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe.get()))
        out.append(buffer.data(), read);
    const int status = pclose(pipe.release());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
}

// Single quotes for the shell.
std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string script(const char* name) {
    return std::string(REPOSITORY_DIR) + "/scripts/" + name;
}

std::string& skipReason() {
    static std::string reason;
    return reason;
}

}  // namespace

PrivatePostgres* PrivatePostgres::Shared() {
    static std::unique_ptr<PrivatePostgres> shared = []() -> std::unique_ptr<PrivatePostgres> {
        const char* bin = std::getenv("PG_BIN");
        const std::filesystem::path programs = bin != nullptr ? bin : "/usr/lib/postgresql/15/bin";
        if (!std::filesystem::exists(programs / "initdb") || !std::filesystem::exists(programs / "pg_ctl")) {
            skipReason() = "PostgreSQL server programs not found in " + programs.string() +
                           " (scripts/setup.sh installs the postgresql package)";
            return nullptr;
        }
        std::optional<std::string> folder = runCommand(script("private-postgres.sh") + " start");
        if (!folder || folder->empty()) {
            skipReason() = "the private PostgreSQL server did not start";
            return nullptr;
        }
        folder->erase(folder->find_last_not_of('\n') + 1);
        return std::unique_ptr<PrivatePostgres>(new PrivatePostgres(*folder));
    }();
    return shared.get();
}

const std::string& PrivatePostgres::SkipReason() {
    return skipReason();
}

PrivatePostgres::PrivatePostgres(std::string folder)
    : folder_(std::move(folder)),
      library_("host=" + folder_ + " port=5432 dbname=examlibrary user=examlibrary") {
    const std::string env = "PGHOST=" + shellQuoted(folder_) + " PGPORT=5432 PGUSER=postgres ";
    if (!runCommand(env + script("library.sh") + " >/dev/null")) {
        runCommand(script("private-postgres.sh") + " stop " + shellQuoted(folder_));
        throw std::runtime_error("scripts/library.sh failed on the private server");
    }
}

PrivatePostgres::~PrivatePostgres() {
    runCommand(script("private-postgres.sh") + " stop " + shellQuoted(folder_));
}

void PrivatePostgres::Run(const std::string& sql) const {
    if (!runCommand("psql -X -q -v ON_ERROR_STOP=1 " + shellQuoted(library_) + " -c " + shellQuoted(sql) +
                    " >/dev/null")) {
        throw std::runtime_error("psql failed: " + sql);
    }
}

}  // namespace testing_support
