#pragma once

#include <memory>
#include <string>

#include "web/server/TWFApplication.h"

namespace web {

// The application's way back into a session that is no longer live (the server restarted,
// or the session timed out) for a page still open in a browser. The session id is the only
// key; what the application kept under it decides whether there is anything to resume.
class SessionResumer {
public:
    virtual ~SessionResumer() = default;
    // A new session built from `start` (whose sessionID is the requested id) with its page
    // shown, or nullptr when nothing is kept under that id.
    virtual std::unique_ptr<TWFApplication> resume(const TWFSessionStart& start) = 0;
};

// Borrowed; nullptr switches resuming off. Set before the server starts.
void SetSessionResumer(SessionResumer* resumer);

// Brings the session `start.sessionID` back through the installed resumer when no live
// session has that id. The session then waits idle in the table with a page address of
// track 0 (track numbers restart). False when nothing was resumed.
bool ResumeSession(const TWFSessionStart& start);

}  // namespace web
