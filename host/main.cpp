#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/BackupCommand.h"
#include "host/HostOptions.h"
#include "host/PasswordReset.h"
#include "host/PublishCommand.h"
#include "host/ServerHost.h"
#include "host/desktop/HostSelection.h"
#if EXAM_DESKTOP_WINDOW
#include "host/desktop/DesktopHost.h"
#endif

int main(int argc, char** argv) {
    std::string program = argc > 0 ? argv[0] : "examserver";
    host::HostOptions options;
    try {
        options = host::ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << error.what() << "\n" << host::HostUsage(program);
        return 2;
    }
    host::HidePasswordArguments(argc, argv);
    if (options.help) {
        std::cout << host::HostUsage(program);
        return 0;
    }
    if (options.backupFile) return host::RunBackup(*options.backupFile, std::cout, std::cerr);
    if (options.publishExam || options.unpublishNumber)
        return host::RunPublish(options, std::cout, std::cerr);
    if (options.resetPassword) return host::RunPasswordReset(options, std::cin, std::cout, std::cerr);
    host::WindowHost window;
#if EXAM_DESKTOP_WINDOW
    if (host::ChooseHost(options, true, [](const char* name) { return std::getenv(name); }) ==
        host::HostKind::Window) {
        window = host::RunDesktopHost;
    }
#endif
    return host::RunServerHost(options, window);
}
