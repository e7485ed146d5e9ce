#pragma once

#include <memory>
#include <string>
#include <vector>

#include "web/server/FieldList.h"
#include "web/server/TInHeaderList.h"

namespace web {

// A file that arrived in a multipart body; its data lies in a file of the cache folder,
// removed when the last holder lets go of it.
struct TWFUploadedFile {
    std::string fieldName;
    std::string fileName;
    std::string contentType;
    std::string dataPath;
};

// One parsed HTTP request as the dispatcher sees it.
struct TInHTTPAppRequest {
    std::string method;           // upper-cased: GET, POST or HEAD
    std::string protocolVersion;  // the text after the last blank of the request line
    std::string rawRequestLine;
    std::string path;             // the document, percent-decoded
    std::string queryText;        // the part of the URI after the first "?", not decoded
    std::string query;            // the unparsed parameters: body, "&", query text
    std::string host;             // the "Host" header up to its first ":"
    int serverPort = 0;           // the port of the "Host" header, else of the listening socket
    std::string peerAddress;
    TInHeaderList headers;
    std::string body;
    FieldList queryFields;
    FieldList contentFields;
    FieldList cookieFields;
    std::string authUser;
    std::string authPassword;
    std::vector<std::shared_ptr<TWFUploadedFile>> files;

    std::string header(std::string_view name) const { return headers.value(name); }
    std::string userAgent() const { return header("User-Agent"); }
    std::string referer() const { return header("Referer"); }
    std::string contentType() const { return header("Content-Type"); }
    bool isPost() const { return method == "POST"; }
    bool isHead() const { return method == "HEAD"; }
};

}  // namespace web
