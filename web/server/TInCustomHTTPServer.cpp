#include "web/server/TInCustomHTTPServer.h"

namespace web {

bool TInCustomHTTPServer::ReadRequest(ByteSource& source, const Connection& connection,
                                      TInHTTPAppRequest& request) {
    RequestParser parser;
    char buffer[8192];
    while (parser.state() == RequestParser::State::NeedMore) {
        std::size_t got = source.read(buffer, sizeof buffer);
        if (got == 0) {
            parser.finish();
        } else {
            parser.feed({buffer, got});
        }
    }
    std::optional<TInHTTPAppRequest> parsed = parser.take(connection);
    if (!parsed) return false;
    request = std::move(*parsed);
    return true;
}

}  // namespace web
