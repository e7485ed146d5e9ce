#include "web/server/http/ReplyWriter.h"

#include "web/server/HttpDate.h"

namespace web {
namespace {

std::string reasonOf(const TInHTTPAppResponse& response) {
    return response.reasonString.empty() ? ReplyWriter::ReasonText(response.statusCode)
                                         : response.reasonString;
}

}  // namespace

std::string ReplyWriter::ReasonText(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Moved Temporarily";
        case 304:
            return "Not Modified";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Unknown Response Code";
    }
}

std::string ReplyWriter::Header(const TInHTTPAppResponse& response, std::int64_t contentLength) {
    std::string header =
        "HTTP/1.1 " + std::to_string(response.statusCode) + " " + reasonOf(response) + "\r\n";
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

std::string ReplyWriter::Prefix(TInHTTPAppResponse& response, bool headRequest, bool& streamFollows) {
    // The length announced is always that of what is actually sent.
    std::int64_t length = !response.content.empty() ? static_cast<std::int64_t>(response.content.size())
                          : response.contentStream ? static_cast<std::int64_t>(response.contentStream->size())
                                                   : -1;
    bool noBody = headRequest || response.statusCode == 304;
    std::string bytes = Header(response, length);
    response.sent = true;
    streamFollows = false;
    if (noBody) return bytes;
    if (!response.content.empty()) return bytes + response.content;
    if (response.contentStream) {
        response.contentStream->rewind();
        streamFollows = true;
        return bytes;
    }
    return bytes + "<HTML><BODY><B>" + std::to_string(response.statusCode) + " " + reasonOf(response) +
           "</B></BODY></HTML>\r\n";
}

void ReplyWriter::Write(ByteSink& sink, TInHTTPAppResponse& response, bool headRequest) {
    bool streamFollows = false;
    sink.write(Prefix(response, headRequest, streamFollows));
    if (!streamFollows) return;
    char buffer[32768];
    while (std::size_t got = response.contentStream->read(buffer, sizeof buffer)) sink.write({buffer, got});
}

}  // namespace web
