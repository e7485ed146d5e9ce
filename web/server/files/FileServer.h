#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "web/server/TInHTTPAppRequest.h"
#include "web/server/TInHTTPAppResponse.h"

namespace web {

// Answers a file from disk: 404 "File not found" when it is missing or not a regular
// file, 304 "Not modified" when it is not newer than the request's If-Modified-Since,
// otherwise the file as content stream with its type and modification time.
// Returns the status it set.
int ServeFile(const TInHTTPAppRequest& request, TInHTTPAppResponse& response, const std::string& path);

// `folder` + `relative` when `relative` names something inside `folder`; nullopt for
// names that climb out (".."), are absolute, or carry backslashes or NUL bytes.
std::optional<std::string> PathInside(const std::string& folder, std::string_view relative);

// Sets a 404 "File not found" reply without content.
void SetNotFound(TInHTTPAppResponse& response);

}  // namespace web
