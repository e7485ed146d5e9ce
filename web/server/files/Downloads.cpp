#include "web/server/files/Downloads.h"

#include <cstdio>
#include <fstream>

#include "web/server/Errors.h"

namespace web {
namespace {

constexpr const char* kCompanionFailed =
    "An error occurred while writing to the Cache Directory, please make sure the permissions are set "
    "correctly.";

// RFC 5987 attr-char: letters, digits and "!#$&+-.^_`|~" travel as they are.
bool plainAttributeChar(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$&+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

// Control characters could end the header line; quotes and backslashes the quoted name.
bool safeInQuotedName(unsigned char c) {
    return c >= 0x20 && c < 0x7f && c != '"' && c != '\\';
}

// Line breaks in a companion file would split the type from the name.
std::string oneLine(std::string_view text) {
    std::string line;
    for (char c : text) line += (c == '\r' || c == '\n') ? ' ' : c;
    return line;
}

}  // namespace

std::string AttachmentDisposition(std::string_view fileName) {
    std::string fallback;
    bool plain = true;
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        const auto c = static_cast<unsigned char>(fileName[i]);
        if (safeInQuotedName(c)) {
            fallback += static_cast<char>(c);
            continue;
        }
        plain = false;
        // One "_" per character, not per byte of its UTF-8 form.
        if (c < 0x80 || (c & 0xC0) == 0xC0) fallback += '_';
    }
    std::string value = "attachment; filename=\"" + fallback + "\"";
    if (plain) return value;
    value += "; filename*=UTF-8''";
    for (unsigned char c : fileName) {
        if (plainAttributeChar(c)) {
            value += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            value += escaped;
        }
    }
    return value;
}

void MarkDownload(const std::string& path, const DownloadInfo& info) {
    std::ofstream out(path + std::string(kDownloadCompanionSuffix), std::ios::binary | std::ios::trunc);
    out << oneLine(info.contentType) << '\n' << oneLine(info.fileName) << '\n';
    out.flush();
    if (!out) throw EWFException(kCompanionFailed);
}

void ApplyDownloadHeaders(const std::string& path, TInHTTPAppResponse& response) {
    std::ifstream in(path + std::string(kDownloadCompanionSuffix), std::ios::binary);
    DownloadInfo info;
    if (!in || !std::getline(in, info.contentType) || !std::getline(in, info.fileName)) return;
    if (!info.contentType.empty()) response.contentType = info.contentType;
    response.customHeaders.set("Content-Disposition", AttachmentDisposition(info.fileName));
}

}  // namespace web
