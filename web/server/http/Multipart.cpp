#include "web/server/http/Multipart.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string_view>

#include "web/server/TInHeaderList.h"
#include "web/server/Text.h"

namespace web {
namespace {

std::string headerParameter(const std::string& header, const std::string& name) {
    for (const std::string& piece : text::split(header, ';')) {
        std::string part = text::trim(piece);
        if (!text::startsWithNoCase(part, name + "=")) continue;
        std::string value = part.substr(name.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return "";
}

// An uploaded file's data lives on disk as long as someone holds the file record.
struct UploadedFileOwner {
    TWFUploadedFile file;
    UploadedFileOwner() = default;
    UploadedFileOwner(const UploadedFileOwner&) = delete;
    UploadedFileOwner& operator=(const UploadedFileOwner&) = delete;
    ~UploadedFileOwner() {
        if (!file.dataPath.empty()) ::unlink(file.dataPath.c_str());
    }
};

std::shared_ptr<TWFUploadedFile> storeUpload(const std::string& folder, std::string_view data) {
    std::string path = folder + "MIMEXXXXXX.tmp";
    int fd = mkstemps(path.data(), 4);
    if (fd < 0) return nullptr;
    std::size_t written = 0;
    while (written < data.size()) {
        ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    ::close(fd);
    // A file cut short (a full disk) is no upload: the page would read a truncated workbook
    // as if it were the one sent.
    if (written < data.size()) {
        ::unlink(path.c_str());
        return nullptr;
    }
    auto owner = std::make_shared<UploadedFileOwner>();
    owner->file.dataPath = path;
    return std::shared_ptr<TWFUploadedFile>(owner, &owner->file);
}

bool addPart(std::string_view part, const std::string& uploadFolder, TInHTTPAppRequest& request) {
    std::size_t headerEnd = part.find("\r\n\r\n");
    if (headerEnd == std::string_view::npos) return true;
    TInHeaderList headers;
    for (const std::string& line : text::split(part.substr(0, headerEnd), '\n')) {
        headers.addRawLine(text::trim(line));
    }
    std::string_view data = part.substr(headerEnd + 4);
    std::string disposition = headers.value("Content-Disposition");
    std::string name = headerParameter(disposition, "name");
    if (disposition.find("filename=") == std::string::npos) {
        request.contentFields.add(name, text::trim(data));
        return true;
    }
    std::string fileName = headerParameter(disposition, "filename");
    fileName = fileName.substr(fileName.find_last_of("/\\") + 1);
    std::shared_ptr<TWFUploadedFile> file = storeUpload(uploadFolder, data);
    if (!file) return false;
    file->fieldName = name;
    file->fileName = fileName;
    file->contentType = headers.value("Content-Type");
    request.files.push_back(file);
    request.contentFields.add(name, fileName);
    return true;
}

}  // namespace

bool DecodeMultipart(TInHTTPAppRequest& request, const std::string& uploadFolder) {
    std::string contentType = request.contentType();
    std::size_t equals = contentType.find('=');
    if (equals == std::string::npos) return true;
    std::string boundary = contentType.substr(equals + 1);
    if (boundary.size() >= 2 && boundary.front() == '"') boundary = boundary.substr(1, boundary.size() - 2);
    boundary = "--" + boundary;
    std::string_view body = request.body;
    std::size_t at = body.find(boundary);
    while (at != std::string_view::npos) {
        std::size_t start = at + boundary.size();
        if (body.substr(start, 2) == "--") break;
        if (body.substr(start, 2) == "\r\n") start += 2;
        std::size_t next = body.find("\r\n" + boundary, start);
        if (next == std::string_view::npos) break;
        if (!addPart(body.substr(start, next - start), uploadFolder, request)) return false;
        at = next + 2;
    }
    return true;
}

}  // namespace web
