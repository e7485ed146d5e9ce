#include "web/server/http/RequestParser.h"

#include "web/server/Text.h"
#include "web/server/http/FormDecoding.h"
#include "web/server/http/Multipart.h"

namespace web {
namespace {

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

// The parameters: a form body first, then the query text; multipart bodies are decoded
// into fields and uploaded files.
bool readParameters(TInHTTPAppRequest& request, const std::string& uploadFolder) {
    if (request.body.empty()) {
        request.query = request.queryText;
    } else {
        request.query = request.queryText.empty() ? request.body : request.body + "&" + request.queryText;
    }
    std::string type = text::toLower(text::trim(text::split(request.contentType(), ';').front()));
    if (type == "application/x-www-form-urlencoded") {
        DecodeFormFields(request.query, request.queryFields);
        request.contentFields = request.queryFields;
        return true;
    }
    DecodeFormFields(request.queryText, request.queryFields);
    if (request.isPost() && type == "multipart/form-data") return DecodeMultipart(request, uploadFolder);
    return true;
}

bool readCookiesAndAuthorization(TInHTTPAppRequest& request) {
    for (const std::string& header : request.headers.values("Cookie")) {
        for (const std::string& cookie : text::split(header, ';')) {
            if (!text::trim(cookie).empty()) request.cookieFields.addLine(text::trim(cookie));
        }
    }
    std::string authorization = text::trim(request.header("Authorization"));
    if (authorization.empty()) return true;
    std::string scheme = text::cutWord(authorization, ' ');
    if (!text::equalsNoCase(scheme, "Basic")) return false;
    std::string credentials = base64Decode(text::trim(authorization));
    request.authUser = text::cutWord(credentials, ':');
    request.authPassword = credentials;
    return true;
}

}  // namespace

RequestParser::State RequestParser::feed(std::string_view bytes) {
    while (!bytes.empty() && state_ == State::NeedMore) {
        bool inBody = phase_ == Phase::Body || phase_ == Phase::BodyUntilClose;
        bytes = inBody ? feedBody(bytes) : feedLine(bytes);
    }
    return state_;
}

// A line that the end of the data cut off counts as a whole line; after it the header
// block ends. A body still missing bytes is refused; a body that lasts until the end of
// the data is complete.
RequestParser::State RequestParser::finish() {
    if (state_ != State::NeedMore) return state_;
    if (phase_ == Phase::RequestLine && line_.empty()) return refuse();
    if (!line_.empty()) endLine();
    if (state_ == State::NeedMore && phase_ == Phase::Headers) endHeaders();
    if (state_ != State::NeedMore) return state_;
    return phase_ == Phase::Body ? refuse() : complete();
}

std::optional<TInHTTPAppRequest> RequestParser::take(const RequestOrigin& origin) {
    if (state_ != State::Complete) return std::nullopt;
    TInHTTPAppRequest request = std::move(request_);
    request_ = TInHTTPAppRequest{};
    std::string uriHost;
    splitURI(uri_, request, uriHost);
    readHostAndPort(request, uriHost, origin.localPort);
    request.peerAddress = origin.peerAddress;
    if (!readParameters(request, origin.uploadFolder) || !readCookiesAndAuthorization(request)) {
        state_ = State::Refused;
        return std::nullopt;
    }
    return request;
}

// Collects a line up to its "\n"; returns the bytes after it.
std::string_view RequestParser::feedLine(std::string_view bytes) {
    std::size_t newline = bytes.find('\n');
    std::string_view piece = bytes.substr(0, newline);
    if (line_.size() + piece.size() > kMaxLineLength) {
        refuse();
        return {};
    }
    line_.append(piece);
    if (newline == std::string_view::npos) return {};
    endLine();
    return bytes.substr(newline + 1);
}

std::string_view RequestParser::feedBody(std::string_view bytes) {
    std::string& body = request_.body;
    if (phase_ == Phase::BodyUntilClose) {
        if (body.size() + bytes.size() > kMaxBodyLength) {
            refuse();
        } else {
            body.append(bytes);
        }
        return {};
    }
    std::size_t take = std::min(bodyLength_ - body.size(), bytes.size());
    body.append(bytes.substr(0, take));
    if (body.size() == bodyLength_) complete();
    return bytes.substr(take);
}

void RequestParser::endLine() {
    std::string line = std::move(line_);
    line_.clear();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (phase_ == Phase::RequestLine) {
        readRequestLine(line);
    } else {
        readHeaderLine(line);
    }
}

void RequestParser::readRequestLine(const std::string& line) {
    request_.rawRequestLine = line;
    std::size_t blank = line.rfind(' ');
    if (blank == std::string::npos) {
        refuse();
        return;
    }
    request_.protocolVersion = line.substr(blank + 1);
    std::string left = line.substr(0, blank);
    request_.method = text::toUpper(text::cutWord(left, ' '));
    uri_ = text::trim(left);
    const std::string& method = request_.method;
    if (method != "GET" && method != "POST" && method != "HEAD") {
        refuse();
        return;
    }
    phase_ = Phase::Headers;
}

void RequestParser::readHeaderLine(const std::string& line) {
    if (line.empty()) {
        endHeaders();
        return;
    }
    if (headerLines_ >= kMaxHeaderLines) {
        refuse();
        return;
    }
    ++headerLines_;
    request_.headers.addRawLine(line);
}

// Decides how the body is framed: by "Content-Length", or for a POST without one by the
// end of the data.
void RequestParser::endHeaders() {
    std::string lengthText = request_.header("Content-Length");
    if (lengthText.empty()) {
        if (request_.isPost()) {
            phase_ = Phase::BodyUntilClose;
        } else {
            complete();
        }
        return;
    }
    std::int64_t length = 0;
    if (!text::parseInt64(text::trim(lengthText), length) || length < 0 ||
        static_cast<std::uint64_t>(length) > kMaxBodyLength) {
        refuse();
        return;
    }
    bodyLength_ = static_cast<std::size_t>(length);
    phase_ = Phase::Body;
    if (bodyLength_ == 0) complete();
}

RequestParser::State RequestParser::refuse() {
    state_ = State::Refused;
    return state_;
}

RequestParser::State RequestParser::complete() {
    phase_ = Phase::Done;
    state_ = State::Complete;
    return state_;
}

}  // namespace web
