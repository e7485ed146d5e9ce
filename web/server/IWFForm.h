#pragma once

#include <ostream>
#include <string>

#include "web/server/FieldList.h"
#include "web/server/TWFBrowser.h"

namespace web {

class TWFApplication;

// What the dispatcher and the session need of a page. The web-forms layer implements it
// (the page classes); pages are owned by their session.
class IWFForm {
public:
    virtual ~IWFForm() = default;

    virtual const std::string& formName() const = 0;
    // Pages of this runtime are HTML 4.0 pages.
    virtual bool isHTML40() const { return true; }
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void setSize(int width, int height) = 0;

    // Applies the posted values to the controls and fires at most one event.
    virtual void ProcessSubmit(const FieldList& params) = 0;
    // Runs after the event handler has returned.
    virtual void afterSubmit() {}
    // Whether the page has work that falls due with time and is done at its keep-alive
    // (checked on the idle session, so it must be quick and touch nothing).
    virtual bool keepAliveDue() const { return false; }
    // That work, run while the keep-alive holds the session.
    virtual void keepAlive() {}
    // Writes the complete document; `session` supplies the form's action address.
    virtual void RenderHTML(std::ostream& out, TWFApplication& session) = 0;

    // Script that runs once the next rendering has loaded (alerts of ShowMessage).
    virtual void AddInitScript(const std::string& script) = 0;
    // Script added to the page's own script block.
    virtual void AddPageScript(const std::string& script) = 0;

    virtual bool browserSecurityCheck() const { return true; }
    virtual TWFBrowsers supportedBrowsers() const { return defaultSupportedBrowsers(); }
};

}  // namespace web
