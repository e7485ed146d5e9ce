#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "web/server/files/Downloads.h"
#include "web/server/IWFForm.h"

namespace exam {

// Writes a file for the browser to save: `write` fills the new file at the path it is
// given, in the session's cache folder; when `page` is next shown the browser fetches it
// as an attachment named `info.fileName`, and the page stays as it is. An exception from
// `write` leaves nothing offered.
void OfferDownload(web::IWFForm& page, std::string_view cachePrefix, const web::DownloadInfo& info,
                   const std::function<void(const std::string& path)>& write);

// The same with the file's whole content given.
void OfferDownload(web::IWFForm& page, std::string_view cachePrefix, const web::DownloadInfo& info,
                   std::string_view content);

// "20261210-153012": a local date and time for the names of saved files.
std::string FileNameStamp();

}  // namespace exam
