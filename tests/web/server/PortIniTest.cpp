#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/RuntimeFixture.h"
#include "web/server/TWFServerControllerBase.h"

namespace web {
namespace {

// "port.ini" beside the program: a port it gives is used; a file that gives none keeps the
// default port and says why, instead of leaving the port to the system.
TEST(PortIniTest, FileGivesThePortOrKeepsTheDefaultAndSaysWhy) {
    struct Case {
        const char* content;  // nullptr: no file
        int port;
        bool problem;
    };
    const Case cases[] = {
        {nullptr, 89, false},
        {"[PORTS]\r\nPort=8089\r\nSSLPort=0\r\n", 8089, false},
        {"[ports]\n port = 0 \n", 0, false},
        {"[OTHER]\nPort=1\n[PORTS]\nPort=65535\n", 65535, false},
        {"18097\n", 89, true},
        {"port=18097\n", 89, true},
        {"[PORTS]\nSSLPort=443\n", 89, true},
        {"[PORTS]\nPort=\n", 89, true},
        {"[PORTS]\nPort=-1\n", 89, true},
        {"[PORTS]\nPort=65536\n", 89, true},
        {"", 89, true},
    };
    for (const Case& c : cases) {
        const std::filesystem::path folder = testing_support::MakeTemporaryFolder("portini");
        if (c.content != nullptr) std::ofstream(folder / "port.ini") << c.content;
        {
            TWFServerControllerBase controller;
            controller.Port = 89;
            controller.setProgramFolder(folder.string());
            controller.loaded();
            const char* shown = c.content != nullptr ? c.content : "(none)";
            EXPECT_EQ(controller.Port, c.port) << shown;
            EXPECT_EQ(!controller.portIniProblem().empty(), c.problem) << shown;
            if (c.problem) {
                EXPECT_EQ(controller.portIniProblem(),
                          (folder / "port.ini").string() +
                              " gives no port; it should read\n[PORTS]\nPort=8089\n(a "
                              "number from 0 to 65535; 0 lets the system choose). The "
                              "default port 89 is used.");
            }
        }
        std::filesystem::remove_all(folder);
    }
}

}  // namespace
}  // namespace web
