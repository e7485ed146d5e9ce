// Serves the web-forms test pages on 127.0.0.1 for the browser tests: prints
// "Forms test server listening on port N" and runs until SIGTERM or SIGINT.
//   forms_testserver [--page NAME] [--idle SECONDS]
// --page picks the start page (default "greeting"); --idle shortens the session idle
// limit and the keep-alive interval so a test can see a shown page outlive it.
#include <signal.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "tests/formsserver/TestPages.h"
#include "web/server/TWFApplication.h"
#include "web/server/TWFStandAloneServer.h"

namespace forms_testserver {
namespace {

std::map<std::string, TestPageFactory>& registry() {
    static std::map<std::string, TestPageFactory> pages;
    return pages;
}

}  // namespace

bool RegisterTestPage(const std::string& name, TestPageFactory factory) {
    registry()[name] = std::move(factory);
    return true;
}

TestPageFactory FindTestPage(const std::string& name) {
    auto found = registry().find(name);
    return found == registry().end() ? nullptr : found->second;
}

}  // namespace forms_testserver

int main(int argc, char** argv) {
    std::string pageName = "greeting";
    int idleSeconds = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--page") pageName = argv[i + 1];
        if (option == "--idle") idleSeconds = std::atoi(argv[i + 1]);
    }
    forms_testserver::TestPageFactory factory = forms_testserver::FindTestPage(pageName);
    if (!factory) {
        std::cerr << "No test page named " << pageName << std::endl;
        return 2;
    }
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    web::RegisterServerController([idleSeconds, factory] {
        auto controller = std::make_unique<web::TWFServerControllerBase>();
        controller->HTMLHeaders = {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />"};
        controller->MainForm40 = [factory](web::TWFApplication&) { return factory(); };
        if (idleSeconds > 0) {
            controller->SessionIdleLimitOverride = std::chrono::seconds(idleSeconds);
            controller->SessionCheckInterval = std::chrono::seconds(1);
            controller->KeepAliveSeconds = 1;
        }
        return controller;
    });
    web::TWFStandAloneServer::Options options;
    options.port = 0;
    options.bindIP = "127.0.0.1";
    web::TWFStandAloneServer server(options);
    std::cout << "Forms test server listening on port " << server.Port() << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    return 0;
}
