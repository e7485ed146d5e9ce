#pragma once

#include <iosfwd>

#include "host/HostOptions.h"

namespace host {

// "-resetpassword": writes a new administrator password into db1.db of the working
// directory and returns the program's exit code. The password comes from "-password" or is
// asked twice on the terminal with echo off; without a terminal and without "-password"
// nothing is changed. Only someone at the machine with write access to db1.db can do this;
// the web pages offer no reset.
int RunPasswordReset(const HostOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace host
