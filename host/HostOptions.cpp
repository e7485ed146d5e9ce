#include "host/HostOptions.h"

#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "web/server/Text.h"

namespace host {
namespace {

using Flag = bool HostOptions::*;

const std::map<std::string, Flag>& flagSwitches() {
    // The launch variants of other rendering modes and of a secure port all open the one
    // start address: this server has neither.
    static const std::map<std::string, Flag> switches{
        {"HEADLESS", &HostOptions::headless},
        {"CONSOLE", &HostOptions::console},
        {"HELP", &HostOptions::help},
        {"?", &HostOptions::help},
        {"LOG", &HostOptions::log},
        {"LAUNCHBROWSER", &HostOptions::launchBrowser},
        {"LAUNCHBROWSERSSL", &HostOptions::launchBrowser},
        {"LAUNCHBROWSER32", &HostOptions::launchBrowser},
        {"LAUNCHBROWSER32SSL", &HostOptions::launchBrowser},
        {"LAUNCHBROWSERWML", &HostOptions::launchBrowser},
        {"LAUNCHBROWSERXHTMLMP", &HostOptions::launchBrowser},
        {"MINIMIZE", &HostOptions::minimize},
        {"INITDB", &HostOptions::initDatabase},
        {"RESETPASSWORD", &HostOptions::resetPassword},
        {"DEMO", &HostOptions::demo},
    };
    return switches;
}

int parsePort(const std::string& text) {
    std::int64_t port = -1;
    if (!web::text::parseInt64(text, port) || port < 0 || port > 65535) {
        throw std::invalid_argument("The port must be a number from 0 to 65535, not \"" + text + "\".");
    }
    return static_cast<int>(port);
}

std::size_t parseMemory(const std::string& text) {
    std::size_t used = 0;
    unsigned long mib = 0;
    try {
        mib = std::stoul(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text[0] == '-' || mib < 16 || mib > (1ul << 24)) {
        throw std::invalid_argument("The session memory must be a number of MiB from 16 to 16777216, not \"" +
                                    text + "\".");
    }
    return mib;
}

std::string switchName(const std::string& argument) {
    return web::text::toUpper(argument.substr(argument[1] == '-' ? 2 : 1));
}

// A password is only ever used by the two switches that write it; silently ignoring it
// would leave the user believing it was set.
void checkPasswordUse(const HostOptions& options) {
    if (options.initDatabase && options.resetPassword) {
        throw std::invalid_argument(
            "Use -initdb (create db1.db) or -resetpassword (new password for db1.db), "
            "not both.");
    }
    if (options.password && !options.initDatabase && !options.resetPassword) {
        throw std::invalid_argument(
            "-password is only used with -initdb (create db1.db) or -resetpassword (set a "
            "new administrator password in db1.db).");
    }
}

// The value switches of the shared-exam library: where their value goes, or nullptr.
std::optional<std::string>* libraryValue(HostOptions& options, const std::string& name) {
    if (name == "LIBRARY") return &options.library;
    if (name == "PUBLISH") return &options.publishExam;
    if (name == "UNPUBLISH") return &options.unpublishNumber;
    if (name == "FBQ") return &options.closedDays;
    if (name == "YYKL") return &options.applicationPassword;
    return nullptr;
}

void checkLibraryUse(const HostOptions& options) {
    if ((options.closedDays || options.applicationPassword) && !options.publishExam) {
        throw std::invalid_argument("-fbq and -yykl are only used with -publish.");
    }
    if (options.publishExam && options.unpublishNumber) {
        throw std::invalid_argument("Use -publish or -unpublish, not both.");
    }
}

}  // namespace

HostOptions ParseHostOptions(const std::vector<std::string>& arguments) {
    HostOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) {
            throw std::invalid_argument("Unknown argument \"" + argument + "\".");
        }
        std::string name = switchName(argument);
        if (auto flag = flagSwitches().find(name); flag != flagSwitches().end()) {
            options.*(flag->second) = true;
            continue;
        }
        if (name != "PORT" && name != "PASSWORD" && name != "VENDOR" && name != "BIND" && name != "BACKUP" &&
            name != "ORG" && name != "SESSIONMEMORY" && !libraryValue(options, name)) {
            throw std::invalid_argument("Unknown switch \"" + argument + "\".");
        }
        if (i + 1 >= arguments.size())
            throw std::invalid_argument("The switch \"" + argument + "\" needs a value.");
        const std::string& value = arguments[++i];
        if (name == "PORT") options.port = parsePort(value);
        if (name == "PASSWORD") options.password = value;
        if (name == "VENDOR") options.vendor = value;
        if (name == "BIND") options.bindAddress = value;
        if (name == "BACKUP") options.backupFile = value;
        if (name == "ORG") options.organisation = value;
        if (name == "SESSIONMEMORY") options.sessionMemoryMiB = parseMemory(value);
        if (auto field = libraryValue(options, name)) *field = value;
    }
    checkPasswordUse(options);
    checkLibraryUse(options);
    return options;
}

std::string HostUsage(const std::string& programName) {
    return "Usage: " + programName +
           " [switches]\n"
           "Switches begin with - or / and ignore letter case.\n"
           "  -port N          listen on port N instead of 89 or the port of port.ini (0: any free port)\n"
           "  -bind ADDRESS    listen on this IPv4 address only (e.g. 127.0.0.1) instead of every address\n"
           "  -sessionmemory MIB  memory for live sessions (default 1024); sets how many sessions may be "
           "open at once\n"
           "  -headless        no window and no console keys, no version check; run until SIGTERM or "
           "SIGINT\n"
           "  -console         the console host even on a desktop (the window opens when DISPLAY or\n"
           "                   WAYLAND_DISPLAY is set and the program was built with it)\n"
           "  -log             write one line per request to standard error\n"
           "  -LaunchBrowser   open the start address in the desktop's browser\n"
           "  -Minimize        start the window minimised (the console has nothing to minimise)\n"
           "  -initdb          first create db1.db in the working directory (never over an existing one)\n"
           "  -resetpassword   set a new administrator password in db1.db (asked twice on the terminal), "
           "then exit\n"
           "  -password TEXT   with -initdb or -resetpassword: the administrator password (with -initdb a "
           "random\n"
           "                   one is printed when absent; prefer the prompt of -resetpassword)\n"
           "  -demo            with -initdb: add a sample exam\n"
           "  -backup FILE     copy db1.db, even while a server works on it, into the new file FILE "
           "(never over\n"
           "                   an existing one), check the copy, then exit\n"
           "  -vendor URL      address of the vendor's web server (version text, news, manual); without it\n"
           "                   this server answers those pages itself\n"
           "  -org NAME        the school or organisation shown in the banner of every page\n"
           "  -library CONNINFO  the shared-exam library (a PostgreSQL connection string or URI); the exam\n"
           "                   list then offers to load exams from it\n"
           "  -publish EXAMID  with -library: send the exam EXAMID of db1.db to the library, print its\n"
           "                   shared number, then exit; -fbq DAYS closes it for DAYS days (default 0),\n"
           "                   during which a copy needs -yykl PASSWORD, its application password\n"
           "  -unpublish NUMBER  with -library: withdraw the shared exam NUMBER, then exit\n"
           "  -help            show this list\n";
}

void HidePasswordArguments(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        std::string argument = argv[i];
        if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) continue;
        const std::string name = switchName(argument);
        if (name != "PASSWORD" && name != "YYKL" && name != "LIBRARY") continue;
        std::memset(argv[i + 1], 0, std::strlen(argv[i + 1]));
        ++i;
    }
}

}  // namespace host
