#pragma once

#include <libpq-fe.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace exam::library {

// A failure of the shared-exam library's server, with the driver's own message; pages let
// it through, so the administrator sees it as an alert.
class RemoteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ConnectionDeleter {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};

// The rows of one statement; values read as text, SQL NULL as the empty text.
class RemoteResult {
public:
    explicit RemoteResult(std::unique_ptr<PGresult, ResultDeleter> result) : result_(std::move(result)) {}

    int RowCount() const { return PQntuples(result_.get()); }
    // Raises RemoteError for a column the statement does not return.
    int Column(std::string_view name) const;
    std::string Text(int row, int column) const;
    std::string Text(int row, std::string_view column) const { return Text(row, Column(column)); }
    bool IsNull(int row, std::string_view column) const;

private:
    std::unique_ptr<PGresult, ResultDeleter> result_;
};

// The connection to the shared-exam library, opened around each use. Every value reaches
// the server as a bound parameter ($1, $2, … in the statement); the server reads them as
// text and converts them to the types the statement needs.
class RemoteConnection {
public:
    // How long a connection attempt may take, whatever the connection string says.
    static constexpr int kConnectTimeoutSeconds = 10;

    // `connectionString`: a libpq key=value string or a postgresql:// URI.
    explicit RemoteConnection(std::string connectionString = {});

    const std::string& ConnectionString() const { return connectionString_; }
    // Opening an open connection does nothing; raises RemoteError when the server cannot
    // be reached, refuses the login, or no connection string is set.
    void Open();
    // Closing a closed connection does nothing.
    void Close() { connection_.reset(); }
    bool Connected() const { return connection_ != nullptr; }

    // Runs one statement (opening the connection first when needed); raises RemoteError
    // with the server's message when it fails.
    RemoteResult Execute(std::string_view sql, const std::vector<std::string>& params = {});

private:
    std::string connectionString_;
    std::unique_ptr<PGconn, ConnectionDeleter> connection_;
};

}  // namespace exam::library
