#pragma once

#include <stdlib.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

// What the benchmark programs share: a scratch folder, their clock, a small HTTP client
// speaking over loopback, reading and posting the pages' SubmitForm, and latency figures.
namespace bench {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& prefix) {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The application finds db1.db in the working folder; this one is changed for the run.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

// ---- the process ----------------------------------------------------------------------

// Raises the soft open-file limit to at least `wanted` (at most the hard limit); returns
// the limit now in force.
std::size_t raiseOpenFileLimit(std::size_t wanted);

// Every thread the benchmark starts itself carries a name with this prefix, so the
// server's threads can be told apart from the clients' in the same process.
inline constexpr std::string_view kThreadPrefix = "bench:";
void nameThisThread(std::string_view role);
// "Threads:" of /proc/self/status.
int processThreads();
// The process's threads that are not the benchmark's: not named with kThreadPrefix, not
// the main thread.
int serverThreads();

// A loopback address of its own for client `index` (0 to 65,000): 127.1.x.y, so that no
// single client address reaches the server's per-address connection limit.
std::string clientAddress(int index);

// ---- a small HTTP client ----------------------------------------------------------------

struct Endpoint {
    std::string address = "127.0.0.1";
    int port = 0;
};

struct Reply {
    int status = 0;  // 0: no complete reply
    std::string body;
    std::string error;  // why there is no reply
};

// One request on a fresh connection from `source` (an address of 127.0.0.0/8; empty: the
// system's choice), read until the server closes, as both servers do after each reply.
// Connecting, sending and every read are bounded by `timeout`.
Reply exchange(const Endpoint& server, const std::string& source, const std::string& request,
               std::chrono::seconds timeout);

std::string getRequest(const Endpoint& server, const std::string& path);
std::string postRequest(const Endpoint& server, const std::string& path, const std::string& body);
std::string percentEncoded(const std::string& text);

// ---- reading the pages --------------------------------------------------------------------

using Fields = std::vector<std::pair<std::string, std::string>>;

// The text between `open` (searched from `from`) and the next `close`; empty when absent.
std::string between(std::string_view text, std::string_view open, std::string_view close,
                    std::size_t from = 0);

// The page's SubmitForm: where it posts and the fields it carries, in order, with the
// values the server rendered into them.
struct SubmitForm {
    std::string action;
    Fields fields;
};
std::optional<SubmitForm> readSubmitForm(const std::string& page);

// What a browser posts from that form: every field, the given values replacing the
// rendered ones (a field the page does not carry is not added, as in a browser).
std::string formBody(const SubmitForm& form, const std::map<std::string, std::string>& values);

// The request a click on `page` sends: its SubmitForm with the given values, no action
// parameter unless given, and the window size a browser reports. Empty when the page has
// no SubmitForm.
std::string clickRequest(const Endpoint& server, const std::string& page,
                         std::map<std::string, std::string> values);

// UTF-8 text as the pages carry it (GB18030), and back, for messages on the terminal.
std::string pageText(const std::string& utf8);
std::string pageToUtf8(const std::string& text);

// What an error page says, for a message: the runtime's usual complaints by name, else
// the start of the page's text, markup left out and blanks joined.
std::string shownText(const std::string& page);

// Why `reply` is not the page titled `expectedTitle` (UTF-8; empty: any page) answered
// without an alert; empty when it is.
std::string pageProblem(const Reply& reply, const std::string& expectedTitle);

// ---- figures ------------------------------------------------------------------------------

struct Latencies {
    std::size_t count = 0;
    double p50 = 0;
    double p95 = 0;
    double p99 = 0;
    double max = 0;
};
Latencies summarize(std::vector<double> milliseconds);

}  // namespace bench
