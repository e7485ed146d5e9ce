#include "web/server/TInCustomHTTPServer.h"

#include <stdlib.h>
#include <unistd.h>

#include <optional>

#include "web/server/HttpDate.h"
#include "web/server/Text.h"

namespace web {
namespace {

// A request that cannot be served: the connection is closed without a reply.
struct Refused {};

// Buffered line and block reads over a byte source.
class RequestInput {
public:
    explicit RequestInput(ByteSource& source) : source_(source) {}

    // A line without its "\r\n" or "\n"; nullopt when the data ended before any byte.
    std::optional<std::string> line() {
        std::string out;
        while (true) {
            if (position_ == buffer_.size() && !fill()) {
                if (out.empty()) return std::nullopt;
                break;
            }
            char c = buffer_[position_++];
            if (c == '\n') break;
            out += c;
            if (out.size() > TInCustomHTTPServer::kMaxLineLength) throw Refused{};
        }
        if (!out.empty() && out.back() == '\r') out.pop_back();
        return out;
    }

    std::string block(std::size_t length) {
        std::string out;
        while (out.size() < length) {
            if (position_ == buffer_.size() && !fill()) throw Refused{};
            std::size_t take = std::min(length - out.size(), buffer_.size() - position_);
            out.append(buffer_, position_, take);
            position_ += take;
        }
        return out;
    }

    std::string rest(std::size_t limit) {
        std::string out = buffer_.substr(position_);
        position_ = buffer_.size();
        while (fill()) {
            out += buffer_;
            position_ = buffer_.size();
            if (out.size() > limit) throw Refused{};
        }
        return out;
    }

private:
    bool fill() {
        char chunk[8192];
        std::size_t got = source_.read(chunk, sizeof chunk);
        buffer_.assign(chunk, got);
        position_ = 0;
        return got > 0;
    }

    ByteSource& source_;
    std::string buffer_;
    std::size_t position_ = 0;
};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string base64Decode(std::string_view text) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        std::size_t value = kAlphabet.find(c);
        if (value == std::string::npos) continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

void readRequestLine(RequestInput& input, TInHTTPAppRequest& request, std::string& uri) {
    std::optional<std::string> line = input.line();
    if (!line) throw Refused{};
    request.rawRequestLine = *line;
    std::size_t blank = line->rfind(' ');
    if (blank == std::string::npos) throw Refused{};
    request.protocolVersion = line->substr(blank + 1);
    std::string left = line->substr(0, blank);
    request.method = text::toUpper(text::cutWord(left, ' '));
    uri = text::trim(left);
    if (request.method != "GET" && request.method != "POST" && request.method != "HEAD") throw Refused{};
}

void readHeaders(RequestInput& input, TInHTTPAppRequest& request) {
    for (std::size_t count = 0;; ++count) {
        std::optional<std::string> line = input.line();
        if (!line || line->empty()) return;
        if (count >= TInCustomHTTPServer::kMaxHeaderLines) throw Refused{};
        request.headers.addRawLine(*line);
    }
}

void readBody(RequestInput& input, TInHTTPAppRequest& request) {
    std::string lengthText = request.header("Content-Length");
    if (lengthText.empty()) {
        if (request.isPost()) request.body = input.rest(TInCustomHTTPServer::kMaxBodyLength);
        return;
    }
    std::int64_t length = 0;
    if (!text::parseInt64(text::trim(lengthText), length) || length < 0) throw Refused{};
    if (static_cast<std::uint64_t>(length) > TInCustomHTTPServer::kMaxBodyLength) throw Refused{};
    request.body = input.block(static_cast<std::size_t>(length));
}

// The document and query of the URI; an absolute URI also names the host.
void splitURI(const std::string& uri, TInHTTPAppRequest& request, std::string& uriHost) {
    std::string document = uri;
    std::size_t question = document.find('?');
    if (question != std::string::npos) {
        request.queryText = document.substr(question + 1);
        document.erase(question);
    }
    if (text::startsWithNoCase(document, "http://")) {
        std::string rest = document.substr(7);
        uriHost = text::cutWord(rest, '/');
        document = "/" + rest;
    }
    request.path = document == "*" ? document : PercentDecode(document, false);
}

void readHostAndPort(TInHTTPAppRequest& request, const std::string& uriHost, int localPort) {
    std::string host = text::trim(request.header("Host"));
    if (host.empty()) host = uriHost;
    std::string port = host;
    request.host = text::cutWord(port, ':');
    request.serverPort = port.empty() ? localPort : text::toIntDef(port, localPort);
}

std::string headerParameter(const std::string& header, const std::string& name) {
    for (const std::string& piece : text::split(header, ';')) {
        std::string part = text::trim(piece);
        if (!text::startsWithNoCase(part, name + "=")) continue;
        std::string value = part.substr(name.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
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
    if (fd < 0) throw Refused{};
    std::size_t written = 0;
    while (written < data.size()) {
        ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    ::close(fd);
    auto owner = std::make_shared<UploadedFileOwner>();
    owner->file.dataPath = path;
    return std::shared_ptr<TWFUploadedFile>(owner, &owner->file);
}

void addMultipartPart(std::string_view part, const std::string& uploadFolder, TInHTTPAppRequest& request) {
    std::size_t headerEnd = part.find("\r\n\r\n");
    if (headerEnd == std::string_view::npos) return;
    TInHeaderList headers;
    for (const std::string& line : text::split(part.substr(0, headerEnd), '\n')) {
        headers.addRawLine(text::trim(line));
    }
    std::string_view data = part.substr(headerEnd + 4);
    std::string disposition = headers.value("Content-Disposition");
    std::string name = headerParameter(disposition, "name");
    if (disposition.find("filename=") == std::string::npos) {
        request.contentFields.add(name, text::trim(data));
        return;
    }
    std::string fileName = headerParameter(disposition, "filename");
    fileName = fileName.substr(fileName.find_last_of("/\\") + 1);
    std::shared_ptr<TWFUploadedFile> file = storeUpload(uploadFolder, data);
    file->fieldName = name;
    file->fileName = fileName;
    file->contentType = headers.value("Content-Type");
    request.files.push_back(file);
    request.contentFields.add(name, fileName);
}

void parseMultipart(TInHTTPAppRequest& request, const std::string& uploadFolder) {
    std::string contentType = request.contentType();
    std::size_t equals = contentType.find('=');
    if (equals == std::string::npos) return;
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
        addMultipartPart(body.substr(start, next - start), uploadFolder, request);
        at = next + 2;
    }
}

void readParameters(TInHTTPAppRequest& request, const std::string& uploadFolder) {
    if (request.body.empty()) {
        request.query = request.queryText;
    } else {
        request.query = request.queryText.empty() ? request.body : request.body + "&" + request.queryText;
    }
    std::string type = text::toLower(text::trim(text::split(request.contentType(), ';').front()));
    if (type == "application/x-www-form-urlencoded") {
        DecodeFormFields(request.query, request.queryFields);
        request.contentFields = request.queryFields;
    } else {
        DecodeFormFields(request.queryText, request.queryFields);
        if (request.isPost() && type == "multipart/form-data") parseMultipart(request, uploadFolder);
    }
}

void readCookiesAndAuthorization(TInHTTPAppRequest& request) {
    for (const std::string& header : request.headers.values("Cookie")) {
        for (const std::string& cookie : text::split(header, ';')) {
            if (!text::trim(cookie).empty()) request.cookieFields.addLine(text::trim(cookie));
        }
    }
    std::string authorization = text::trim(request.header("Authorization"));
    if (authorization.empty()) return;
    std::string scheme = text::cutWord(authorization, ' ');
    if (!text::equalsNoCase(scheme, "Basic")) throw Refused{};
    std::string credentials = base64Decode(text::trim(authorization));
    request.authUser = text::cutWord(credentials, ':');
    request.authPassword = credentials;
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plusAsBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+' && plusAsBlank) {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

void DecodeFormFields(std::string_view text, FieldList& fields) {
    if (text.empty()) return;
    for (const std::string& piece : text::split(text, '&')) {
        if (!piece.empty()) fields.addLine(PercentDecode(piece, true));
    }
}

bool TInCustomHTTPServer::ReadRequest(ByteSource& source, const Connection& connection, TInHTTPAppRequest& request) {
    try {
        RequestInput input(source);
        std::string uri;
        std::string uriHost;
        readRequestLine(input, request, uri);
        readHeaders(input, request);
        readBody(input, request);
        splitURI(uri, request, uriHost);
        readHostAndPort(request, uriHost, connection.localPort);
        request.peerAddress = connection.peerAddress;
        readParameters(request, connection.uploadFolder);
        readCookiesAndAuthorization(request);
        return true;
    } catch (const Refused&) {
        return false;
    }
}

std::string TInCustomHTTPServer::ReasonText(int status) {
    switch (status) {
        case 200: return "OK";
        case 302: return "Moved Temporarily";
        case 304: return "Not Modified";
        case 401: return "Unauthorized";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default: return "Unknown Response Code";
    }
}

std::string TInCustomHTTPServer::ReplyHeader(const TInHTTPAppResponse& response, std::int64_t contentLength) {
    std::string reason = response.reasonString.empty() ? ReasonText(response.statusCode) : response.reasonString;
    std::string header = "HTTP/1.1 " + std::to_string(response.statusCode) + " " + reason + "\r\n";
    header += "Connection: close\r\n";
    header += "Content-Type: " + response.contentType + "\r\n";
    if (contentLength >= 0) header += "Content-Length: " + std::to_string(contentLength) + "\r\n";
    for (const auto& field : response.customHeaders) header += field.name + ": " + field.value + "\r\n";
    header += std::string("Server: ") + kServerName + "\r\n";
    if (!response.location.empty()) header += "Location: " + response.location + "\r\n";
    if (response.lastModified) header += "Last-Modified: " + formatHttpDate(*response.lastModified) + "\r\n";
    for (const std::string& cookie : response.cookies) header += "Set-Cookie: " + cookie + "\r\n";
    return header + "\r\n";
}

void TInCustomHTTPServer::WriteReply(ByteSink& sink, TInHTTPAppResponse& response, bool headRequest) {
    // The length announced is always that of what is actually sent.
    std::int64_t length = !response.content.empty() ? static_cast<std::int64_t>(response.content.size())
                          : response.contentStream ? static_cast<std::int64_t>(response.contentStream->size())
                                                   : -1;
    bool noBody = headRequest || response.statusCode == 304;
    sink.write(ReplyHeader(response, length));
    response.sent = true;
    if (noBody) return;
    if (!response.content.empty()) return sink.write(response.content);
    if (response.contentStream) {
        response.contentStream->rewind();
        char buffer[32768];
        while (std::size_t got = response.contentStream->read(buffer, sizeof buffer)) sink.write({buffer, got});
        return;
    }
    std::string reason = response.reasonString.empty() ? ReasonText(response.statusCode) : response.reasonString;
    sink.write("<HTML><BODY><B>" + std::to_string(response.statusCode) + " " + reason + "</B></BODY></HTML>\r\n");
}

}  // namespace web
