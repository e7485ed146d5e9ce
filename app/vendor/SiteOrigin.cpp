#include "app/vendor/SiteOrigin.h"

#include <algorithm>
#include <charconv>

namespace exam::vendor {
namespace {

constexpr std::size_t kMaxHostLength = 253;
constexpr std::size_t kMaxLabelLength = 63;

bool isAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Dot-separated labels of letters, digits and inner hyphens (IPv4 addresses included).
bool isHostName(std::string_view name) {
    if (name.empty() || name.size() > kMaxHostLength) return false;
    std::size_t start = 0;
    while (true) {
        std::size_t end = std::min(name.find('.', start), name.size());
        std::string_view label = name.substr(start, end - start);
        bool inner = std::all_of(label.begin(), label.end(), [](char c) { return isAlnum(c) || c == '-'; });
        if (label.empty() || label.size() > kMaxLabelLength || !inner || label.front() == '-' ||
            label.back() == '-') {
            return false;
        }
        if (end == name.size()) return true;
        start = end + 1;
    }
}

bool isIpv6Literal(std::string_view literal) {
    if (literal.size() < 4 || literal.size() > 47 || literal.front() != '[' || literal.back() != ']')
        return false;
    std::string_view inner = literal.substr(1, literal.size() - 2);
    return inner.find(':') != std::string_view::npos && std::all_of(inner.begin(), inner.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                      c == ':' || c == '.';
           });
}

bool isPort(std::string_view text) {
    if (text.empty() || text.size() > 5 || text.front() == '0') return false;
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 1 && value <= 65535;
}

}  // namespace

std::optional<std::string> PlausibleHost(std::string_view host) {
    std::size_t portColon = host.rfind(':');
    bool bracketed = !host.empty() && host.front() == '[';
    if (bracketed) {
        std::size_t close = host.find(']');
        portColon =
            close != std::string_view::npos && close + 1 < host.size() ? close + 1 : std::string_view::npos;
    }
    std::string_view name = host.substr(0, portColon);
    if (portColon != std::string_view::npos &&
        (host[portColon] != ':' || !isPort(host.substr(portColon + 1)))) {
        return std::nullopt;
    }
    if (!(bracketed ? isIpv6Literal(name) : isHostName(name))) return std::nullopt;
    return std::string(host);
}

std::string SiteOrigin(const web::TInHTTPAppRequest& request) {
    std::optional<std::string> host = PlausibleHost(request.header("Host"));
    return host ? "http://" + *host : "";
}

}  // namespace exam::vendor
