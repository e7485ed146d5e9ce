#pragma once

#include <iosfwd>
#include <string>

namespace host {

// "-backup FILE": copies db1.db of the working directory into the new file `file` and
// returns the program's exit code: 0 with the copy checked, 1 with the reason on `err`.
int RunBackup(const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace host
