#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "web/server/TInHTTPAppRequest.h"

// Addresses of this server as the browser reaches it. The "Host" header is the browser's
// word and goes into pages and texts only when it plainly is a host name or address with
// an optional port; otherwise the addresses stay relative.
namespace exam::vendor {

// `host` as "name[:port]" when it is a DNS name, an IPv4 address or a bracketed IPv6
// address, optionally followed by ":" and a port from 1 to 65535; nullopt otherwise.
std::optional<std::string> PlausibleHost(std::string_view host);

// "http://" and the request's plausible "Host", or the empty text (relative addresses).
std::string SiteOrigin(const web::TInHTTPAppRequest& request);

}  // namespace exam::vendor
