#include "web/server/ServerLog.h"

#include <ctime>
#include <mutex>

namespace web {
namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

LogSink& sink() {
    static LogSink installed;
    return installed;
}

}  // namespace

void SetLogSink(LogSink newSink) {
    std::lock_guard lock(sinkMutex());
    sink() = std::move(newSink);
}

bool ServerLogEnabled() {
    std::lock_guard lock(sinkMutex());
    return static_cast<bool>(sink());
}

void ServerLog(const std::string& line) {
    // Lines come from many request threads; the lock keeps them whole.
    std::lock_guard lock(sinkMutex());
    if (sink()) sink()(line);
}

std::string LogTimePrefix() {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d %s %04d %02d:%02d:%02d ", local.tm_mday, kMonths[local.tm_mon],
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

}  // namespace web
