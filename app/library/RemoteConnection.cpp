#include "app/library/RemoteConnection.h"

#include <array>
#include <cstdint>

#include "web/server/transport/WorkerWait.h"

namespace exam::library {
namespace {

// The driver's messages end with a line break and may carry a tab-indented hint line.
std::string cleanMessage(std::string message) {
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    for (char& c : message) {
        if (c == '\n' || c == '\t') c = ' ';
    }
    return message;
}

}  // namespace

int RemoteResult::Column(std::string_view name) const {
    const int column = PQfnumber(result_.get(), ("\"" + std::string(name) + "\"").c_str());
    if (column < 0) throw RemoteError("The library's answer has no column " + std::string(name) + ".");
    return column;
}

std::string RemoteResult::Text(int row, int column) const {
    return std::string(PQgetvalue(result_.get(), row, column),
                       static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
}

bool RemoteResult::IsNull(int row, std::string_view column) const {
    return PQgetisnull(result_.get(), row, Column(column)) != 0;
}

RemoteConnection::RemoteConnection(std::string connectionString)
    : connectionString_(std::move(connectionString)) {}

void RemoteConnection::Open() {
    if (connection_ != nullptr) return;
    if (connectionString_.empty()) throw RemoteError("No shared-exam library is configured.");
    // Later keys override the ones the connection string expands into: the keep-alive
    // settings (a library that vanishes during a statement is noticed within about half
    // a minute) may be changed there, the time-out and the encoding may not.
    const std::string timeout = std::to_string(kConnectTimeoutSeconds);
    const std::array<const char*, 8> keys{
        "keepalives_idle", "keepalives_interval", "keepalives_count", "dbname",
        "connect_timeout", "client_encoding",     "application_name", nullptr};
    const std::array<const char*, 8> values{
        "10", "5", "3", connectionString_.c_str(), timeout.c_str(), "UTF8", "examserver", nullptr};
    web::WorkerWait wait;  // up to the connect time-out
    std::unique_ptr<PGconn, ConnectionDeleter> connection(PQconnectdbParams(keys.data(), values.data(), 1));
    if (connection == nullptr)
        throw RemoteError("Out of memory while connecting to the shared-exam library.");
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        throw RemoteError(cleanMessage(PQerrorMessage(connection.get())));
    }
    connection_ = std::move(connection);
}

RemoteResult RemoteConnection::Execute(std::string_view sql, const std::vector<std::string>& params) {
    Open();
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const std::string& param : params) values.push_back(param.c_str());
    web::WorkerWait wait;
    std::unique_ptr<PGresult, ResultDeleter> result(PQexecParams(connection_.get(), std::string(sql).c_str(),
                                                                 static_cast<int>(values.size()), nullptr,
                                                                 values.data(), nullptr, nullptr, 0));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        std::string message = cleanMessage(result != nullptr ? PQresultErrorMessage(result.get())
                                                             : PQerrorMessage(connection_.get()));
        // A connection the server dropped is of no further use.
        if (PQstatus(connection_.get()) != CONNECTION_OK) Close();
        throw RemoteError(message.empty() ? "The shared-exam library did not answer." : message);
    }
    return RemoteResult(std::move(result));
}

}  // namespace exam::library
