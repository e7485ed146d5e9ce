#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace host {

// The program's command line. Switches begin with "-" or "/" and ignore letter case; a
// switch that takes a value takes the next argument.
struct HostOptions {
    std::optional<int> port;
    bool headless = false;
    // The console host even where a desktop is at hand.
    bool console = false;
    bool help = false;
    bool log = false;
    bool launchBrowser = false;
    bool minimize = false;
    bool initDatabase = false;
    bool resetPassword = false;
    std::optional<std::string> password;
    bool demo = false;
    std::optional<std::string> vendor;
    // The organisation named in the banner and on the product page of the built-in site.
    std::optional<std::string> organisation;
    std::optional<std::string> bindAddress;
    // "-backup FILE": copy db1.db into the new file FILE, then exit.
    std::optional<std::string> backupFile;
    // Memory for live sessions, in MiB; the session cap follows from it.
    std::optional<std::size_t> sessionMemoryMiB;
    // "-library CONNINFO": the shared-exam library the exam list loads from, and the one
    // "-publish EXAMID" (with "-fbq DAYS" and "-yykl PASSWORD") and "-unpublish NUMBER"
    // work on; those two run their command and exit. Checked by the command.
    std::optional<std::string> library;
    std::optional<std::string> publishExam;
    std::optional<std::string> unpublishNumber;
    std::optional<std::string> closedDays;
    std::optional<std::string> applicationPassword;
};

// Throws std::invalid_argument with a message for the user on an unknown switch, a
// missing value, a port that is not a number from 0 to 65535, or a password given
// without a switch that uses it.
HostOptions ParseHostOptions(const std::vector<std::string>& arguments);

// The text "-help" prints.
std::string HostUsage(const std::string& programName);

// Blanks the values of "-password", "-yykl" and "-library" (which may carry a password) in the program's own
// argument memory, so the process list stops showing the password once the options have been read.
void HidePasswordArguments(int argc, char** argv);

}  // namespace host
