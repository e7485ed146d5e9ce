#include "tests/support/ExamServer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <stdexcept>

#include "app/TWFServerController.h"
#include "app/db/Database.h"
#include "app/db/Schema.h"
#include "tests/support/RuntimeFixture.h"
#include "web/forms/CodePage.h"

extern char** environ;

namespace testing_support {

ExamServer::ExamServer(const ExamServerOptions& options)
    : folder_(MakeTemporaryFolder("examserver")), previous_(std::filesystem::current_path()) {
    if (options.prepareFolder) options.prepareFolder(folder_);
    std::filesystem::current_path(folder_);
    if (options.createDatabase) {
        exam::db::InitDatabase(std::string(exam::db::kDatabaseFileName), {std::string("pw"), true});
    }
    exam::RegisterExamApplication();
    web::TWFStandAloneServer::Options serverOptions;
    serverOptions.port = 0;
    serverOptions.bindIP = "127.0.0.1";
    serverOptions.programFolder = folder_.string() + "/";
    server_ = std::make_unique<web::TWFStandAloneServer>(serverOptions);
    client_ = std::make_unique<HttpTestClient>(server_->Port());
}

ExamServer::~ExamServer() {
    server_.reset();
    web::RegisterServerController(nullptr);
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(folder_, ignored);
}

std::pair<std::string, HttpReply> ExamServer::startSession() {
    HttpReply probe = client_->get("/");
    std::size_t at = probe.body.find("/EXEC/0/");
    if (at == std::string::npos) return {"", probe};
    std::string id = probe.body.substr(at + 8, 28);
    return {id, client_->post("/EXEC/0/" + id, "WF_width=1000&WF_height=700")};
}

HttpReply ExamServer::logIn(const std::string& password) {
    auto [id, home] = startSession();
    if (id.empty()) return home;
    client_->post("/EXEC/1/" + id, "WF_Action=WFLINK1&WF_ActionParam=");
    return client_->post("/EXEC/2/" + id, "WF_Action=WFBUTTON1&WF_ActionParam=&WFEDIT1=" + password);
}

std::string ExamServer::pageText(const std::string& text) {
    return web::forms::EncodeForCharset(text, "gb2312");
}

std::string ExamServerProgram() {
    return EXAMSERVER_PROGRAM;
}

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

ProgramResult RunExamServerProgram(const std::vector<std::string>& arguments,
                                   const std::filesystem::path& folder) {
    std::filesystem::path scratch = MakeTemporaryFolder("program");
    std::string outPath = (scratch / "out").string();
    std::string errPath = (scratch / "err").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    std::string program = ExamServerProgram();
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program);
    int status = 0;
    waitpid(pid, &status, 0);

    ProgramResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    std::filesystem::remove_all(scratch);
    return result;
}

}  // namespace testing_support
