#pragma once

#include <string>
#include <string_view>

#include "web/server/TInHTTPAppResponse.h"

namespace web {

// A generated file offered for saving: the browser is told its type and the name to save
// it under, and keeps it out of the page.
// The companion file beside a marked cache file: its name + this suffix.
inline constexpr std::string_view kDownloadCompanionSuffix = ".download";

struct DownloadInfo {
    std::string contentType;
    std::string fileName;
};

// The Content-Disposition value of an attachment named `fileName` (UTF-8): a plain ASCII
// "filename" for old browsers (other characters become "_") and, when the name is not
// plain ASCII, the exact name as "filename*" in UTF-8 percent encoding.
std::string AttachmentDisposition(std::string_view fileName);

// Marks the cache file `path` (made by CreateCacheFile) as a download: a small companion
// file beside it keeps the type and the name, so serving it later needs no state of the
// session. Throws EWFException with the cache-folder message when it cannot be written.
void MarkDownload(const std::string& path, const DownloadInfo& info);

// When the cache file `path` was marked as a download, sets the reply's type and its
// Content-Disposition; otherwise leaves the reply alone.
void ApplyDownloadHeaders(const std::string& path, TInHTTPAppResponse& response);

}  // namespace web
