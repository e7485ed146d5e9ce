#pragma once

#include <functional>
#include <string>

namespace web {

// Where the dispatcher's one-line request log goes. Nothing is logged until the host
// installs a sink (its "-log" switch sends the lines to standard error).
using LogSink = std::function<void(const std::string& line)>;

void SetLogSink(LogSink sink);
void ServerLog(const std::string& line);
bool ServerLogEnabled();

// The local time as "dd mmm yyyy hh:nn:ss " (the prefix of a new-session line).
std::string LogTimePrefix();

}  // namespace web
