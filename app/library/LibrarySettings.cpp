#include "app/library/LibrarySettings.h"

#include <mutex>

namespace exam::library {
namespace {

std::mutex& settingsMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& configured() {
    static std::string connectionString;
    return connectionString;
}

}  // namespace

void SetLibraryConnection(std::string connectionString) {
    std::lock_guard lock(settingsMutex());
    configured() = std::move(connectionString);
}

std::string LibraryConnection() {
    std::lock_guard lock(settingsMutex());
    return configured();
}

bool LibraryConfigured() {
    return !LibraryConnection().empty();
}

}  // namespace exam::library
