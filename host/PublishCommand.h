#pragma once

#include <iosfwd>

#include "host/HostOptions.h"

namespace host {

// "-publish EXAMID" and "-unpublish NUMBER" with "-library CONNINFO": sends an exam of
// db1.db (working directory) to the shared-exam library and prints its shared number, or
// withdraws a shared exam. Returns the program's exit code: 0 done, 1 with the reason on
// `err`, 2 for switches that do not fit.
int RunPublish(const HostOptions& options, std::ostream& out, std::ostream& err);

}  // namespace host
