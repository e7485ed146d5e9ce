#include "web/server/files/FileServer.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "web/server/HttpDate.h"
#include "web/server/files/InternalResources.h"
#include "web/server/Text.h"

namespace web {
namespace {

// Cache files are named "<PREFIX><hex>.tmp"; the prefix tells the real type ("JPG...").
std::string contentTypeForFile(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    if (text::endsWithNoCase(name, ".tmp") && name.size() >= 7) return ContentTypeOf("." + name.substr(0, 3));
    return ContentTypeOf(name);
}

}  // namespace

void SetNotFound(TInHTTPAppResponse& response) {
    response.statusCode = 404;
    response.reasonString = "File not found";
    response.content.clear();
    response.contentStream.reset();
    response.contentLength = -1;
}

std::optional<std::string> PathInside(const std::string& folder, std::string_view relative) {
    if (relative.empty() || relative.front() == '/') return std::nullopt;
    if (relative.find('\\') != std::string_view::npos || relative.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    for (const std::string& part : text::split(relative, '/')) {
        if (part == "..") return std::nullopt;
    }
    // A link inside the folder must not lead out of it either.
    std::error_code error;
    std::filesystem::path base = std::filesystem::weakly_canonical(folder, error);
    std::filesystem::path target = std::filesystem::weakly_canonical(folder + std::string(relative), error);
    if (error) return std::nullopt;
    auto [baseEnd, unused] = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
    if (baseEnd != base.end() && !baseEnd->empty()) return std::nullopt;
    return folder + std::string(relative);
}

int ServeFile(const TInHTTPAppRequest& request, TInHTTPAppResponse& response, const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        SetNotFound(response);
        return 404;
    }
    TimePoint modified = Clock::from_time_t(info.st_mtime);
    std::optional<TimePoint> since = parseHttpDate(request.header("If-Modified-Since"));
    if (since && modified <= *since) {
        response.statusCode = 304;
        response.reasonString = "Not modified";
        return 304;
    }
    try {
        response.setContentStream(std::make_unique<FileContentStream>(path));
    } catch (const std::system_error&) {
        SetNotFound(response);
        return 404;
    }
    std::string type = contentTypeForFile(path);
    response.contentType = type.empty() ? "application/octet-stream" : type;
    response.lastModified = modified;
    return 200;
}

}  // namespace web
