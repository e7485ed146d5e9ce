#pragma once

#include <stdexcept>
#include <string>

namespace web {

// Base of every failure the runtime raises on purpose; the dispatcher turns these into
// error pages, and the message is what the browser shows.
class EWFException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The session named by a request does not exist (any more).
class EInvalidSession : public EWFException {
public:
    explicit EInvalidSession(const std::string& message = "Session not found. Session may have expired.")
        : EWFException(message) {}
};

// Another request is working on the session; requests are refused, never queued.
class ESessionAlreadyLocked : public EWFException {
public:
    explicit ESessionAlreadyLocked(const std::string& message = "Session is already locked.")
        : EWFException(message) {}
};

// The browser is not one the application accepts. `pageCapable` tells whether the
// browser can show the runtime's scripted error page.
class EUnknownBrowserException : public EWFException {
public:
    EUnknownBrowserException(const std::string& message, bool pageCapable)
        : EWFException(message), pageCapable_(pageCapable) {}
    bool pageCapable() const { return pageCapable_; }

private:
    bool pageCapable_;
};

// The application has no page for the rendering mode the browser needs.
class EDeviceNotSupported : public EWFException {
public:
    explicit EDeviceNotSupported(const std::string& message = "Device not supported")
        : EWFException(message) {}
};

}  // namespace web
