#include "web/server/ErrorPage.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "web/server/Errors.h"
#include "web/server/HtmlEscape.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/Text.h"
#include "web/server/files/FileServer.h"
#include "web/server/files/InternalResources.h"

namespace web {
namespace {

const char* const kWFTop =
    "function WFTop(){ if ((parent != self) && (parent != null))return parent.WFTop();else return window;}";

std::string readTemplate(const TWFServerControllerBase* controller) {
    if (controller != nullptr && !controller->templateFolder().empty()) {
        std::ifstream file(controller->templateFolder() + "WFError.html", std::ios::binary);
        if (file) {
            std::ostringstream content;
            content << file.rdbuf();
            return text::replaceAll(content.str(), "../files/", controller->filesURL(), true);
        }
    }
    std::optional<std::string_view> builtIn = InternalResources::Find("WF_GFX_ERROR");
    if (!builtIn) throw EWFException("Resource WF_GFX_Error not found.");
    return std::string(*builtIn);
}

std::string expiredText(int timeout) {
    return "Your session has expired. You will have to restart the application. In order to keep sessions "
           "from expiring you may set the session timeout parameter to a higher value. The current session "
           "timeout value is " +
           std::to_string(timeout) + " minute" + (timeout == 1 ? "" : "s") + ".";
}

std::string topWindowScriptPage(const std::string& url) {
    return "<html>\r\n<head>\r\n<script>\r\n" + std::string(kWFTop) + " WFTop().window.location.href = \"" +
           url + "\";</script>\r\n</head></html>";
}

// The charset a template declares ("charset=" in its head), empty when it says none.
std::string declaredCharset(const std::string& page) {
    std::size_t at = text::findNoCase(page, "charset=");
    if (at == std::string::npos) return "";
    // Only a charset name's characters: nothing of the template reaches the header beyond it.
    const auto nameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' || c == ':';
    };
    std::size_t end = at + 8;
    while (end < page.size() && nameChar(page[end])) ++end;
    return page.substr(at + 8, end - at - 8);
}

struct ErrorPage {
    std::string html;
    // Sent with the reply, so the browser reads a template in its own code page also
    // when the page is written through a script.
    std::string contentType;
};

ErrorPage buildPage(const TWFServerControllerBase* controller, const std::string& message,
                    bool sessionExpired, bool scriptWrapped, const FieldList& extra) {
    std::string page = readTemplate(controller);
    std::string charset = declaredCharset(page);
    page = text::replaceAll(page, "{%CONTENT%}", HtmlTextForScript(message), true);
    std::string base = controller != nullptr ? controller->URLBase : "";
    page = text::replaceAll(page, "{%BRANTELLOGO%}", base + "/gfx/LogoBrantel", true);
    page = text::replaceAll(page, "{%TESSELLOGO%}", base + "/gfx/LogoTessel", true);
    std::string startCommand = controller != nullptr ? text::trim(controller->StartCmd) : "";
    page = text::replaceAll(page, "{%APPADDRESS%}", base + "/" + startCommand, true);
    int timeout = controller != nullptr ? controller->SessionTimeout : 10;
    page = text::replaceAll(page, "{%EXCEPTIONSPECIFIC%}",
                            sessionExpired
                                ? expiredText(timeout)
                                : "Depending on the error condition, it might be possible to restart the "
                                  "application.",
                            true);
    // Lets a template choose its own texts for the two kinds of error.
    page = text::replaceAll(page, "{%ERRORKIND%}", sessionExpired ? "expired" : "error", true);
    FieldList values = extra;
    std::string description = controller != nullptr ? controller->Description : "";
    values.add("APPNAME", HtmlTextForScript(description.empty() ? "Tessel Application" : description));
    for (const auto& field : values)
        page = text::replaceAll(page, "{%" + field.name + "%}", field.value, true);
    std::string contentType = charset.empty() ? "text/html" : "text/html; charset=" + charset;
    if (!scriptWrapped) return {page, contentType};
    // The page becomes a single-quoted script string: a quote or backslash of the
    // template must not end it (the message has none left).
    page = text::replaceAll(text::replaceAll(page, "\r", ""), "\n", "");
    page = text::replaceAll(text::replaceAll(page, "\\", "\\\\"), "'", "\\'");
    // A template's own script block must not end the wrapping one, nor a line separator
    // the literal.
    page = text::replaceAll(page, "</script", "<\\/script", true);
    page = text::replaceAll(text::replaceAll(page, "\xE2\x80\xA8", "\\u2028"), "\xE2\x80\xA9", "\\u2029");
    return {"<html><head><script>\r\n" + std::string(kWFTop) + " WFTop().document.writeln('" + page +
                "');\r\n</script></head></html>",
            contentType};
}

void serverErrorReply(TInHTTPAppResponse& response, const ErrorPage& page) {
    response.statusCode = 500;
    response.reasonString = "Server error";
    response.contentStream.reset();
    response.contentType = page.contentType;
    response.setContent(page.html);
    response.expires.reset();
    response.customHeaders.set("Pragma", "no-cache");
}

// The reply for a browser the application cannot serve: the setting's address, its
// file, or the error page with status 200.
void browserReply(const TWFServerControllerBase* controller, const TWFFileReference& setting,
                  const ErrorPage& page, const TInHTTPAppRequest& request, TInHTTPAppResponse& response) {
    response.statusCode = 200;
    response.reasonString.clear();
    if (!setting.url().empty()) return response.sendRedirect(setting.url());
    if (!setting.filename().empty() && controller != nullptr) {
        std::optional<std::string> path = PathInside(controller->filesFolder(), setting.filename());
        if (path) {
            ServeFile(request, response, *path);
        } else {
            SetNotFound(response);
        }
        return;
    }
    response.contentType = page.contentType;
    response.setContent(page.html);
}

void clearResponse(TInHTTPAppResponse& response) {
    response.content.clear();
    response.contentStream.reset();
    response.contentLength = -1;
    response.location.clear();
    response.sent = false;
}

}  // namespace

std::string BuildErrorPage(const TWFServerControllerBase* settings, const std::string& message,
                           bool sessionExpired, bool scriptWrapped, const FieldList& extra) {
    return buildPage(settings, message, sessionExpired, scriptWrapped, extra).html;
}

void WriteErrorReply(const TWFServerControllerBase* controller, std::exception_ptr error,
                     const TInHTTPAppRequest& request, TInHTTPAppResponse& response) {
    clearResponse(response);
    try {
        std::rethrow_exception(error);
    } catch (const EUnknownBrowserException& unknown) {
        ErrorPage page = buildPage(controller, unknown.what(), false, unknown.pageCapable(), {});
        browserReply(controller, controller != nullptr ? controller->UnknownBrowser : TWFFileReference{},
                     page, request, response);
    } catch (const EDeviceNotSupported& device) {
        ErrorPage page = buildPage(controller, device.what(), false, false, {});
        browserReply(controller, controller != nullptr ? controller->DeviceNotSupported : TWFFileReference{},
                     page, request, response);
    } catch (const EInvalidSession& expired) {
        const TWFFileReference none;
        const TWFFileReference& target = controller != nullptr ? controller->SessionTimeoutURL : none;
        if (!target.url().empty()) return response.setContent(topWindowScriptPage(target.url()));
        if (!target.filename().empty())
            return response.setContent(topWindowScriptPage("/files/" + target.filename()));
        serverErrorReply(response, buildPage(controller, expired.what(), true, true, {}));
    } catch (const std::exception& other) {
        serverErrorReply(response, buildPage(controller, other.what(), false, true, {}));
    } catch (...) {
        serverErrorReply(response, buildPage(controller, "Unknown error", false, true, {}));
    }
}

}  // namespace web
