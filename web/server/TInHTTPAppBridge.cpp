#include "web/server/TInHTTPAppBridge.h"

namespace web {

void TInHTTPAppBridge::Start(const std::string& address, int port, RequestHandler handler,
                             std::string uploadFolder, std::size_t workers, ConnectionLimits limits) {
    Socket listener = BindListener(address, port, kListenQueue, port_);
    loop_ = std::make_unique<ConnectionLoop>(std::move(listener), port_, std::move(handler),
                                             std::move(uploadFolder), workers, limits);
}

}  // namespace web
