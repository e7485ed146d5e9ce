#pragma once

#include <memory>
#include <string>

#include "web/server/TWFApplication.h"

namespace web {

// Brings back a session that a request names but the session table does not hold (it
// timed out, or the server was restarted), from whatever the application kept of it.
//
// The dispatcher asks the server's resumer (ServerRuntime::setResumer; none by default)
// once per such request of a session kind (page request, partial update, upload,
// window-size report), on the request's thread, before it answers with the
// expired-session reply. With no resumer, or when it returns nullptr, that reply goes
// out as before.
//
// `sessionId` comes from the request and is only asked about when it is made of letters
// and digits; a resumer brings back only sessions it kept under that very id.
// `start` describes the browser asking (kind, user agent, address) and carries the
// server's settings; it already holds `sessionId` as its id. A resumer that can bring the
// session back builds it from `start`, setting `trackID` to the track number the browser
// will post next if the pending post is to be applied (otherwise it gets the resync
// warning and the current page), gives it its data object (as the new-session hook does)
// and shows its page. The session is entered into the table as it is returned; one whose
// id is not `sessionId` is freed and the request gets the expired-session reply. Several
// requests may ask for the same id at once: the first session entered wins and the
// others are dropped.
class SessionResumer {
public:
    virtual ~SessionResumer() = default;
    virtual std::unique_ptr<TWFApplication> resume(const std::string& sessionId, TWFSessionStart start) = 0;
};

}  // namespace web
