#include "host/PasswordReset.h"

#include <termios.h>
#include <unistd.h>

#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "app/db/Database.h"
#include "app/db/Schema.h"

namespace host {
namespace {

// Switches the terminal's echo off for its lifetime, so a typed password is never shown.
class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (::tcgetattr(fd_, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) ::tcsetattr(fd_, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

std::optional<std::string> askLine(const char* prompt, std::istream& in, std::ostream& out) {
    out << prompt << std::flush;
    std::string line;
    bool read = static_cast<bool>(std::getline(in, line));
    out << "\n";
    if (!read) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// Asks twice on the terminal; nullopt (with the reason on `err`) when the input ends or the
// two entries differ.
std::optional<std::string> askNewPassword(std::istream& in, std::ostream& out, std::ostream& err) {
    EchoOff quiet(STDIN_FILENO);
    std::optional<std::string> first = askLine("新管理密码：", in, out);
    std::optional<std::string> second = first ? askLine("再输入一次：", in, out) : std::nullopt;
    if (!first || !second) {
        err << "没有读到密码，管理密码未改变。\n";
        return std::nullopt;
    }
    if (*first != *second) {
        err << "两次输入的密码不一致，管理密码未改变。\n";
        return std::nullopt;
    }
    return first;
}

}  // namespace

int RunPasswordReset(const HostOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
    std::optional<std::string> password = options.password;
    if (!password) {
        if (!::isatty(STDIN_FILENO)) {
            err << "-resetpassword asks for the new password on a terminal; without one, give it with "
                   "-password TEXT.\n";
            return 2;
        }
        password = askNewPassword(in, out, err);
        if (!password) return 1;
    }
    try {
        exam::db::ResetPassword(std::string(exam::db::kDatabaseFileName), *password);
    } catch (const std::exception& error) {
        err << "Could not reset the administrator password: " << error.what() << "\n";
        return 1;
    }
    out << "管理密码已重置" << std::endl;
    return 0;
}

}  // namespace host
