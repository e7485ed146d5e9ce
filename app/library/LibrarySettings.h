#pragma once

#include <string>

namespace exam::library {

// The connection string of the shared-exam library this server loads from; empty when
// none is configured, which hides the page's entry to it. Set at start, before sessions.
void SetLibraryConnection(std::string connectionString);
std::string LibraryConnection();
bool LibraryConfigured();

}  // namespace exam::library
