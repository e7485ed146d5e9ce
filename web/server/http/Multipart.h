#pragma once

#include <string>

#include "web/server/TInHTTPAppRequest.h"

namespace web {

// Splits the multipart body of `request` at the boundary its content type names. A part
// with a file name becomes an uploaded file, its data written to a new file in
// `uploadFolder` (removed when the last holder lets go), and a field holding the file name;
// any other part becomes a field with its trimmed text. Returns false when an uploaded
// file cannot be stored.
bool DecodeMultipart(TInHTTPAppRequest& request, const std::string& uploadFolder);

}  // namespace web
