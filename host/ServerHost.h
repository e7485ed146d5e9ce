#pragma once

#include <string>

#include "host/HostOptions.h"

namespace host {

// Runs the program with parsed options: creates the database when asked, starts the
// server, serves until "q", SIGINT or SIGTERM, and stops cleanly. Returns the exit status.
int RunServerHost(const HostOptions& options);

}  // namespace host
