#include "web/server/dispatch/ScriptReplies.h"

#include "web/server/HtmlEscape.h"

namespace web {
namespace {

const char* const kWFTop =
    "function WFTop(){ if ((parent != self) && (parent != null))return parent.WFTop();else return "
    "window;}\r\n";

const char* const kNoCacheMetas =
    "<meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
    "<meta http-equiv=\"pragma\" content=\"no-cache\">";

std::string redirectHead(const std::string& address, bool partialUpdate, int delaySeconds) {
    if (partialUpdate) {
        return "<script>\r\n" + std::string(kWFTop) + "WFTop().window.location.href = \"" +
               ScriptStringEscape(address) + "\";</script>";
    }
    return "<META HTTP-EQUIV=\"Refresh\" CONTENT=\"" + std::to_string(delaySeconds) +
           ";URL=" + HtmlValue(address) + "\">\r\n" + kNoCacheMetas;
}

}  // namespace

std::string RedirectPage(const std::string& address, bool partialUpdate) {
    return "<html>\r\n<head>\r\n" + redirectHead(address, partialUpdate, 0) + "\r\n</head></html>";
}

std::string TerminationReply(const std::string& address, const std::string& text, bool partialUpdate,
                             int delaySeconds) {
    // The message is text, shown as written: its line breaks become "<br>".
    const std::string message = HtmlText(text, true, false);
    if (!address.empty() && message.empty()) return RedirectPage(address, partialUpdate);
    if (!address.empty()) {
        return "<html>\r\n<head>\r\n" + redirectHead(address, partialUpdate, delaySeconds) +
               "\r\n</head><body>" + message + "</body></html>";
    }
    if (message.empty()) return "";
    // The message sits in a double-quoted literal of code that is itself a single-quoted
    // literal, so it is escaped once for each.
    return "<html><head><script> " + std::string(kWFTop) +
           "WFTop().setTimeout('document.writeln( \"<html><body>" +
           ScriptCodeEscape(ScriptCodeEscape(message)) +
           "</body></html>\");document.close();',0);</script></head></html>";
}

std::string NavigationScriptPage(const std::string& pageAddress, bool hidden,
                                 const std::string& submitControl, const std::string& submitControlParam) {
    const std::string form = hidden ? "HiddenSubmitForm" : "SubmitForm";
    // Both come from the post and land in script strings.
    const std::string control = ScriptStringEscape(submitControl);
    const std::string controlParam = ScriptStringEscape(submitControlParam);
    std::string page = "<html><head><script>" + std::string(kWFTop) +
                       "var p = WFTop().location.protocol + \"//\" + WFTop().location.host + \"" +
                       ScriptStringEscape(pageAddress) + "\";\r\n";
    page += "WFTop().GSubmitting = false; WFTop().ValidClick = true;\r\n";
    if (control.empty()) {
        page += "WFTop().document." + form + ".action=p;\r\nWFTop().document." + form + ".submit();";
    } else {
        page += "WFTop().GSubmitter.action=p;\r\nWFTop().SubmitNextFile('" + control + "','" + controlParam +
                "');";
    }
    page += "\r\n</script></head></html>";
    return page;
}

std::string ResizeAcknowledgement() {
    return "<html><head><script>" + std::string(kWFTop) +
           "\r\nWFTop().GSubmitting=false;\r\n</script></head></html>";
}

std::string SizeProbePage(const std::string& startAddress, const std::string& sessionID,
                          const std::string& noScriptURL) {
    std::string page =
        "<HTML><HEAD><TITLE></TITLE><meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
        "<meta http-equiv=\"pragma\" content=\"no-cache\">";
    if (noScriptURL.empty()) {
        page +=
            "\r\n<NOSCRIPT><HTML><BODY>Your browser does not seem to support JavaScript. Please make sure it "
            "is "
            "supported and activated</BODY></HTML></NOSCRIPT>";
    } else {
        page += "\r\n<NOSCRIPT><META HTTP-EQUIV=\"Refresh\" CONTENT=\"0;URL=" + HtmlValue(noScriptURL) +
                "\"></NOSCRIPT>";
    }
    page += "\r\n<SCRIPT>\r\n";
    for (const char* line :
         {"var ie4 = (document.all)? true:false;", "var ns6 = (document.getElementById)? true && !ie4:false;",
          "function Initialize() {", "var lWidth;", "var lHeight;", "if (ns6) {",
          "  lWidth = window.innerWidth - 30;", "  lHeight = window.innerHeight - 30;", "} else {",
          "  lWidth = document.body.clientWidth;", "  lHeight = document.body.clientHeight;", "}",
          "document.forms[0].elements[\"WF_width\"].value = lWidth;",
          "document.forms[0].elements[\"WF_height\"].value = lHeight;", "document.forms[0].submit();"}) {
        page += std::string(line) + "\r\n";
    }
    page += "}</SCRIPT></HEAD><BODY onload=\"Initialize()\">\r\n<form method=post action=\"" +
            HtmlValue(startAddress) + "\">\r\n";
    page += "<input type=hidden name=\"WF_width\">\r\n<input type=hidden name=\"WF_height\">\r\n";
    page += "<input type=hidden name=\"WF_SessionID_\" value=\"" + HtmlValue(sessionID) +
            "\">\r\n<input type=hidden name=\"WF_TrackID_\" value=\"0\">\r\n";
    page += "</form></BODY></HTML>";
    return page;
}

}  // namespace web
