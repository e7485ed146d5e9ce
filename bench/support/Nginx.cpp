#include "bench/Nginx.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "web/server/transport/Socket.h"

namespace bench {

namespace {

constexpr std::chrono::seconds kStartLimit{10};
constexpr std::chrono::seconds kStopLimit{5};
constexpr int kStartAttempts = 3;  // a port found free may be taken before nginx binds it

// The nginx program: $NGINX if set, else where Debian's package puts it.
std::string findProgram() {
    std::vector<std::string> candidates;
    if (const char* given = std::getenv("NGINX"); given != nullptr && *given != '\0')
        candidates.push_back(given);
    candidates.insert(candidates.end(), {"/usr/sbin/nginx", "/usr/local/sbin/nginx", "/usr/bin/nginx"});
    for (const std::string& path : candidates) {
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    throw std::runtime_error("nginx is not installed (scripts/bench.sh installs it, or set NGINX)");
}

// A port of 127.0.0.1 that nobody listens on right now.
int freePort() {
    web::Socket probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (probe.fd() < 0 || ::bind(probe.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(probe.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot find a free port on 127.0.0.1");
    }
    return ntohs(address.sin_port);
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    if (!file.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

Nginx::Nginx(const std::string& fileName, const std::string& content)
    : folder_("exam-bench-nginx"), program_(findProgram()) {
    // Run as root, nginx's workers take another user, who must still read the page.
    const auto readable = std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                          std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                          std::filesystem::perms::others_exec;
    std::filesystem::permissions(folder_.path(), readable);
    std::filesystem::create_directory(folder_.path() / "www");
    std::filesystem::permissions(folder_.path() / "www", readable);
    writeFile(folder_.path() / "www" / fileName, content);
    std::filesystem::permissions(folder_.path() / "www" / fileName, std::filesystem::perms::owner_read |
                                                                        std::filesystem::perms::owner_write |
                                                                        std::filesystem::perms::group_read |
                                                                        std::filesystem::perms::others_read);

    for (int attempt = 1;; ++attempt) {
        port_ = freePort();
        writeConfiguration();
        start();
        try {
            waitUntilServing("/" + fileName, content.size());
            return;
        } catch (const std::exception&) {
            stop();
            if (attempt == kStartAttempts) throw;
        }
    }
}

Nginx::~Nginx() {
    stop();
}

void Nginx::writeConfiguration() const {
    const std::string folder = folder_.path().string();
    std::ostringstream text;
    if (geteuid() == 0 && getpwnam("www-data") != nullptr) text << "user www-data;\n";
    text << "worker_processes 2;\n"
         << "daemon off;\n"
         << "master_process on;\n"
         << "pid " << folder << "/nginx.pid;\n"
         << "error_log " << folder << "/error.log warn;\n"
         << "events { worker_connections 4096; }\n"
         << "http {\n"
         << "    types { text/html html; }\n"
         << "    default_type application/octet-stream;\n"
         << "    access_log off;\n"
         << "    sendfile on;\n"
         // The exam server closes every connection after its reply; so does this one.
         << "    keepalive_timeout 0;\n"
         << "    client_body_temp_path " << folder << "/client_body;\n"
         << "    proxy_temp_path " << folder << "/proxy;\n"
         << "    fastcgi_temp_path " << folder << "/fastcgi;\n"
         << "    uwsgi_temp_path " << folder << "/uwsgi;\n"
         << "    scgi_temp_path " << folder << "/scgi;\n"
         << "    server {\n"
         << "        listen 127.0.0.1:" << port_ << ";\n"
         << "        root " << folder << "/www;\n"
         << "    }\n"
         << "}\n";
    writeFile(folder_.path() / "nginx.conf", text.str());
}

void Nginx::start() {
    // Everything the child needs is prepared here: after fork only exec-safe calls.
    const std::string folder = folder_.path().string() + "/";
    const std::string configuration = folder + "nginx.conf";
    const std::string errors = folder + "error.log";
    const std::string output = folder + "output.log";
    std::vector<std::string> arguments{"nginx", "-p", folder, "-c", configuration, "-e", errors};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("cannot start nginx: fork failed");
    if (pid_ == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);  // the bench is already gone
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
        }
        execv(program_.c_str(), argv.data());
        _exit(127);
    }
    setpgid(pid_, pid_);  // whichever of the two runs first
}

void Nginx::waitUntilServing(const std::string& path, std::size_t size) {
    const Clock::time_point deadline = Clock::now() + kStartLimit;
    std::string last = "no answer";
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("nginx stopped at once: " + errorLog());
        }
        const Reply reply = exchange(endpoint(), "", getRequest(endpoint(), path), std::chrono::seconds(1));
        if (reply.status == 200 && reply.body.size() == size) return;
        last = reply.status != 0 ? "status " + std::to_string(reply.status) : reply.error;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("nginx does not serve the page (" + last + "): " + errorLog());
}

// Asks the master to stop (it ends its workers first), then ends what is left of the
// process group by force.
void Nginx::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    const Clock::time_point deadline = Clock::now() + kStopLimit;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (kill(-pid_, 0) == 0) kill(-pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string Nginx::errorLog() const {
    std::string text;
    for (const char* name : {"output.log", "error.log"}) {
        std::ifstream file(folder_.path() / name);
        std::string line;
        while (std::getline(file, line)) text += line + " / ";
    }
    return text.empty() ? "nothing logged" : text;
}

}  // namespace bench
