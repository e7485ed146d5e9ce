#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/HttpTestClient.h"
#include "web/server/TWFStandAloneServer.h"

namespace testing_support {

// How the folder of an ExamServer is prepared before the server starts.
struct ExamServerOptions {
    // db1.db with the administrator password "pw" and the sample exam; false: no database.
    bool createDatabase = true;
    // Anything else the folder should hold (templates, files), given the folder.
    std::function<void(const std::filesystem::path&)> prepareFolder;
};

// The exam application on a loopback port chosen by the system, working in a fresh
// folder that holds db1.db with the administrator password "pw" and the sample exam. The
// working directory is that folder while the server runs.
class ExamServer {
public:
    explicit ExamServer(const ExamServerOptions& options = {});
    ~ExamServer();
    ExamServer(const ExamServer&) = delete;
    ExamServer& operator=(const ExamServer&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    HttpTestClient& client() { return *client_; }
    int port() const { return server_->Port(); }
    web::SessionTable& sessions() const { return server_->Runtime().sessions(); }

    // Opens the start address and posts the window size: the session id and the reply
    // with the session's first page (track number 1); an empty id when none was given.
    std::pair<std::string, HttpReply> startSession();
    // A new session goes from the home page to the login page and posts `password`: the
    // reply to the login.
    HttpReply logIn(const std::string& password);

    // A page text as it travels in the pages' character set.
    static std::string pageText(const std::string& text);

private:
    std::filesystem::path folder_;
    std::filesystem::path previous_;
    std::unique_ptr<web::TWFStandAloneServer> server_;
    std::unique_ptr<HttpTestClient> client_;
};

// What a finished program left behind.
struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the exam server program (the one built beside the tests) with `arguments` in
// `folder`, standard input from /dev/null, and waits for it to end.
ProgramResult RunExamServerProgram(const std::vector<std::string>& arguments,
                                   const std::filesystem::path& folder);

// The path of the exam server program.
std::string ExamServerProgram();

}  // namespace testing_support
