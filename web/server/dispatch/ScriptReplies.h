#pragma once

#include <string>

namespace web {

// The small hand-built pages the dispatcher answers with instead of a rendered page.
// Every text pasted into them is escaped for the place it lands in: script string,
// script code or markup.

// The redirect page: sends the browser to `address` at once. In a partial update the
// page lives in a hidden frame, so a script moves the top window instead.
std::string RedirectPage(const std::string& address, bool partialUpdate);

// The reply to a request that ended its session. With an address: the redirect page, or
// the address after `delaySeconds` beside the message; without one: the message alone,
// written over the whole window. `message` is text (its line breaks are kept). Empty when
// there is neither.
std::string TerminationReply(const std::string& address, const std::string& message, bool partialUpdate,
                             int delaySeconds);

// What a partial update or an upload whose page changed answers: a script that submits
// the top window's form to `pageAddress` (the session's next page request). `submitControl`
// and `submitControlParam` are the posted values naming a pending file upload; `hidden`
// picks the hidden submit form of a partial-update page.
std::string NavigationScriptPage(const std::string& pageAddress, bool hidden,
                                 const std::string& submitControl, const std::string& submitControlParam);

// The answer to a window-size report: lets the top window submit again.
std::string ResizeAcknowledgement();

// The page that answers "/": it posts the browser window's size to the start address.
// `noScriptURL` (may be empty) is where a browser without scripts is sent.
std::string SizeProbePage(const std::string& startAddress, const std::string& sessionID,
                          const std::string& noScriptURL = "");

}  // namespace web
