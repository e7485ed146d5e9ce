#include "web/forms/TWFAppForm.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "web/forms/CodePage.h"
#include "web/forms/FileReferenceURL.h"
#include "web/forms/OutputLineBreak.h"
#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/forms/TextParts.h"
#include "web/server/Errors.h"
#include "web/server/HtmlEscape.h"
#include "web/server/TWFApplication.h"
#include "web/server/TWFRenderStream.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

const char* const kVersion = web::TWFServerControllerBase::kVersion;

void appendAll(std::string& out, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts) out += part;
}

std::string internalFilesBase(const web::TWFServerControllerBase* controller) {
    if (controller == nullptr) return "";
    std::string base = controller->URLBase + controller->InternalFilesURL;
    if (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

std::string referenceURL(const web::TWFFileReference& reference,
                         const web::TWFServerControllerBase* controller) {
    if (reference.empty()) return "";
    if (controller == nullptr) return reference.url();
    return fileReferenceURL(reference, controller->filesURL(), controller->filesFolder());
}

const char* browserScript(web::TWFBrowser browser) {
    switch (browser) {
        case web::TWFBrowser::brIE:
            return "/js/WFExplorer.js";
        case web::TWFBrowser::brNetscape6:
        case web::TWFBrowser::brNetscape7:
        case web::TWFBrowser::brSafari:
            return "/js/WFGecko.js";
        case web::TWFBrowser::brOpera:
            return "/js/WFOpera.js";
        default:
            return nullptr;
    }
}

// Hidden-field values are written with every byte but letters as a character reference.
std::string encodeHiddenValue(const std::string& value) {
    std::string out;
    for (unsigned char c : value) {
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        out += letter ? std::string(1, static_cast<char>(c)) : "&#" + std::to_string(c) + ";";
    }
    return out;
}

std::string charsetOf(const web::TWFServerControllerBase* controller) {
    if (controller == nullptr) return "";
    if (!controller->CharSet.empty()) return controller->CharSet;
    for (const std::string& line : controller->HTMLHeaders) {
        std::size_t at = web::text::findNoCase(line, "charset=");
        if (at == std::string::npos) continue;
        std::string rest = line.substr(at + 8);
        return rest.substr(0, rest.find_first_of("\"'; />"));
    }
    return "";
}

}  // namespace

TWFAppForm::TWFAppForm(std::string name, std::string className, int width, int height)
    : Name(std::move(name)),
      ClassName(std::move(className)),
      Width(width),
      Height(height),
      designWidth_(width),
      designHeight_(height) {}

void TWFAppForm::setSize(int width, int height) {
    // A window smaller than the design keeps the design size (the browser scrolls), so
    // centred content never moves off the left edge.
    width = std::max(width, designWidth_);
    height = std::max(height, designHeight_);
    LayoutChildren(Width, Height, width, height);
    Width = width;
    Height = height;
}

void TWFAppForm::RenderHTML(std::ostream& out, web::TWFApplication& session) {
    const Document document = renderParts(session);
    web::TWFRenderStream::Write(
        out, EncodeForCharset({document.head, document.body}, charsetOf(session.Settings())));
}

std::string TWFAppForm::RenderDocument(web::TWFApplication& session) {
    Document document = renderParts(session);
    document.head += document.body;
    return std::move(document.head);
}

// The head is written after the controls, which collect what it needs; the body is then
// encoded after it without joining the two.
TWFAppForm::Document TWFAppForm::renderParts(web::TWFApplication& session) {
    const web::TWFServerControllerBase* controller = session.Settings();
    TWFPageContext40 context(session.BrowserKind(), session.UserAgent());
    const std::string_view lb = OutputLineBreak();
    const std::string title = web::HtmlText(Title, true, false);
    context.AddInitScript("StaticInit();");
    context.AddInitScript("InitSubmitter();");
    context.AddInitScript(LockOnSubmit ? "GActivateLock = true;" : "GActivateLock = false;");
    context.AddInitScript("InitRects(" + std::to_string(Width) + ", " + std::to_string(Height) + ");");
    context.AddInitScript("InitWFCLObjects();");
    if (LockUntilLoaded) context.lockReleasePart += "ReleaseLock();\r\n";
    context.AddScriptFile("/js/WFCommon.js");
    context.AddScriptFile("/js/WFCL.js");

    std::string body;
    body.reserve(lastBodySize_ + lastBodySize_ / 8 + 4096);
    context.pageScript.reserve(lastPageScriptSize_ + 1024);
    context.wfclInitScript.reserve(lastLayoutScriptSize_ + 1024);
    context.styleRules.reserve(lastStyleSize_ + 1024);
    RenderChildren(body, context);
    context.AddInitScript("Body_OnResize();");
    appendSubmitForm(body, session.FormActionURL(), context);
    if (const char* file = browserScript(session.BrowserKind())) context.AddScriptFile(file);
    context.AddInitScript("if (document.body.leftMargin < 0 && document.body.topMargin < 0) {" +
                          std::string(lb) + "  document.body.leftMargin = 0;" + std::string(lb) +
                          "  document.body.topMargin = 0;" + std::string(lb) + "}");
    fillPageScript(context, session);
    context.initScript += initScriptAddition_;
    initScriptAddition_.clear();
    context.pageScript += "function Validate() {\r\n";
    for (const auto& [condition, message] : context.validations) {
        context.pageScript += "  if(" + condition + ") {\r\n    ReleaseLock();\r\n    window.alert(\"" +
                              web::ScriptStringEscape(message) + "\");\r\n    return false;\r\n  }";
    }
    context.pageScript += "  return true;\r\n}\r\n";

    lastPageScriptSize_ = context.pageScript.size();
    lastLayoutScriptSize_ = context.wfclInitScript.size();
    lastStyleSize_ = context.styleRules.size();
    std::string head;
    head.reserve(context.pageScript.size() + context.wfclInitScript.size() + context.initScript.size() +
                 context.styleRules.size() + 4096);
    if (Language.empty()) {
        head += "<html>";
    } else {
        head += "<html lang=\"";
        web::AppendHtmlValue(head, Language);
        head += "\">";
    }
    head += "<head>";
    head += lb;
    if (controller != nullptr && !controller->CharSet.empty()) {
        head += "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=";
        head += controller->CharSet;
        head += "\">";
    }
    head += "<meta http-equiv=\"cache-control\" content=\"no-cache\">";
    head += lb;
    head += "<meta http-equiv=\"pragma\" content=\"no-cache\">";
    head += lb;
    if (!title.empty()) {
        head += "<title>";
        head += title;
        head += "</title>";
        head += lb;
    }
    head += "<style type=\"text/css\">\r\n";
    head += context.styleRules;
    head += "</style>";
    head += lb;
    std::string filesBase = internalFilesBase(controller);
    appendAll(head, {"<script type=\"text/javascript\" src=\"",
                     filesBase,
                     "/js/WFPreScript.js_",
                     kVersion,
                     "\"></script>",
                     lb,
                     "<script type=\"text/javascript\">",
                     lb,
                     context.pageScript,
                     lb,
                     "function InitWFCLObjects() {",
                     lb,
                     context.wfclInitScript,
                     lb,
                     "}\r\n",
                     "function Initialize() {",
                     lb,
                     context.initScript,
                     context.lockReleasePart,
                     context.focusPart,
                     context.deferredPart,
                     context.controlPart,
                     lb,
                     "}",
                     lb,
                     "</script>",
                     lb});
    for (const std::string& line : ExtraHeader) head += line;
    appendAll(head, {lb, context.extraHeader, lb});
    appendHeadLines(head, controller);
    for (const std::string& file : context.scriptFiles()) {
        appendAll(head, {"\r\n<script type=\"text/javascript\" src=\"", filesBase, file, "_", kVersion,
                         "\"></script>\r\n"});
    }
    appendAll(head, {lb, "</head>", lb});
    appendBodyOpening(head, controller);
    body += "</body></html>";
    body += lb;
    lastBodySize_ = body.size();
    lastRendered_ = std::move(context.rendered);
    return {std::move(head), std::move(body)};
}

void TWFAppForm::appendHeadLines(std::string& out, const web::TWFServerControllerBase* controller) const {
    const std::string_view lb = OutputLineBreak();
    appendAll(out, {"<META HTTP-EQUIV=\"MSThemeCompatible\" Content=\"", XPTheme ? "yes" : "no", "\">", lb});
    appendAll(out, {"<META NAME=\"GENERATOR\" CONTENT=\"Tessel Web Forms ", kVersion, "\">", lb});
    if (controller != nullptr) {
        for (const std::string& line : controller->HTMLHeaders) appendAll(out, {line, "\r\n"});
    }
    appendAll(out, {"<META HTTP-EQUIV=\"imagetoolbar\" CONTENT=\"no\">", lb});
    const web::TWFFileReference& sheet =
        StyleSheet.empty() && controller != nullptr ? controller->StyleSheet : StyleSheet;
    std::string url = referenceURL(sheet, controller);
    if (!url.empty()) {
        appendAll(
            out, {"<div id=\"submitform_stylesheet\"><link rel=\"stylesheet\" type=\"text/css\" href=\"", url,
                  "\"></div>", lb});
    }
}

// The form is written straight into the page: it is on every page, and its shape is fixed.
void TWFAppForm::appendSubmitForm(std::string& out, const std::string& action,
                                  const TWFPageContext40& context) const {
    const auto openField = [&](std::string_view name) {
        out += "\r\n  <input type=\"HIDDEN\"";
        appendAttribute(out, "name", name);
    };
    const auto field = [&](std::string_view name, std::string_view value = {}) {
        openField(name);
        appendAttribute(out, "value", value);
        out += '>';
    };
    out += "<form method=\"POST\" name=\"SubmitForm\"";
    appendAttribute(out, "action", action);
    // Posts arrive as UTF-8 whatever the page's own code page, so every character typed
    // reaches the server unchanged.
    out += " accept-charset=\"UTF-8\">";
    for (const std::string& name : context.submitFields()) field(name);
    for (const auto& hidden : HiddenFields) {
        openField(hidden.name);
        const std::string value = encodeHiddenValue(hidden.value);
        if (!value.empty()) appendParts(out, " value=\"", value, "\"");
        out += " size=\"-1\">";
    }
    field("WF_Action");
    field("WF_ActionParam");
    field("WF_FormName", Name);
    field("WF_FormClass", ClassName);
    field("WF_width");
    field("WF_height");
    out += "\r\n</form>";
}

// The body's opening tag with the locker and the busy cursor; the components and
// SubmitForm follow, and the caller closes it.
void TWFAppForm::appendBodyOpening(std::string& out, const web::TWFServerControllerBase* controller) {
    const std::string background = referenceURL(Background.Image, controller);
    TWFRenderKey inputs;
    inputs.numbers({LeftToRight, BGColor.value(), TextColor.value(), LinkColor.value(), VLinkColor.value(),
                    Background.Fixed, LockUntilLoaded});
    inputs.text(background).text(OutputLineBreak());
    if (bodyOpening_.empty() || inputs.written() != bodyOpeningInputs_) {
        bodyOpening_ = bodyOpening(background);
        bodyOpeningInputs_ = inputs.written();
    }
    out += bodyOpening_;
}

std::string TWFAppForm::bodyOpening(const std::string& background) const {
    TWFHTMLTag body("body");
    body.setAttribute("onresize", "return Body_OnResize();");
    if (!LeftToRight) body.setAttribute("dir", "RTL");
    if (BGColor != clNone) body.setColorAttribute("bgcolor", BGColor);
    if (!background.empty()) body.setAttribute("background", background);
    if (Background.Fixed) body.setAttribute("bgproperties", "fixed");
    if (TextColor != clNone) body.setColorAttribute("text", TextColor);
    if (LinkColor != clNone) body.setColorAttribute("link", LinkColor);
    if (VLinkColor != clNone) body.setColorAttribute("vlink", VLinkColor);
    body.setAttribute("topmargin", "0");
    body.setAttribute("leftmargin", "0");
    body.setAttribute("onload", "Initialize()");
    body.setAttribute("onunload", "ReleaseWFCL()");
    body.setAttribute("onblur", "GSubmitting = false;SetBusy(false);");
    if (LockUntilLoaded) {
        body.addMarkup(
            "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\"\r\nstyle=\"border-collapse: collapse; "
            "position:absolute; z-index:9000;\r\nleft:0; top:0\" bordercolor=\"#111111\" width=\"100%\" "
            "id=\"locker\" \r\nheight=\"100%\"><tr><td></td></tr></table>");
    }
    TWFMarkupLanguageTag& busy = body.addTag("div");
    busy.setAttribute("id", "bussyCursor");
    busy.setAttribute(
        "style",
        "position:absolute;left:0;top:0;width:10000;height:10000;visibility:hidden;display:none;"
        "cursor:wait;z-index:10000");
    std::string opening;
    body.renderOpen(opening);
    return opening;
}

void TWFAppForm::fillPageScript(TWFPageContext40& context, web::TWFApplication& session) const {
    const std::string lb(OutputLineBreak());
    context.AddPageScript("function FormDefaultSubmit()" + lb + "{return false;}");
    context.AddPageScript("var GIsPartialUpdate=false;");
    context.AddPageScript("var GOnResizetimeout=1000;");
    const web::TWFServerControllerBase* controller = session.Settings();
    std::string urlBase = controller != nullptr ? controller->URLBase : "";
    context.AddPageScript("var GURLBase=\"" + urlBase + "\";" + lb + "var GAppID=\"" + session.SessionID() +
                          "\";" + lb + "var GTrackID=" + std::to_string(session.TrackID()));
    context.AddPageScript("function WFTop(){return window;}");
    context.AddPageScript("var GActiveControl = null;");
    context.AddPageScript("var GActiveControl=null;");
    context.AddPageScript("history.go(1);");
    int keepAlive = controller != nullptr ? controller->KeepAliveSeconds : 0;
    if (keepAlive > 0) {
        // While the page is shown its session stays alive, however long the reader takes.
        context.AddPageScript(
            "setInterval(function(){ var ping = new Image(); ping.src = GURLBase + \"/PING/\" + GAppID "
            "+ \"?\" + new Date().getTime(); }, " +
            std::to_string(keepAlive * 1000) + ");");
    }
    for (const std::string& line : JavaScript) context.AddPageScript(line);
    context.pageScript += pageScriptAddition_;
}

// A field posted several times reaches its control once, the values joined by ",".
static web::FieldList mergeDuplicates(const web::FieldList& fields) {
    web::FieldList merged;
    for (const auto& field : fields) {
        if (int at = merged.indexOf(field.name); at >= 0) {
            merged[static_cast<std::size_t>(at)].value += "," + field.value;
        } else {
            merged.add(field.name, field.value);
        }
    }
    return merged;
}

void TWFAppForm::applyHiddenFields(web::FieldList& fields) {
    for (std::size_t i = 0; i < HiddenFields.size(); ++i) {
        int at = fields.indexOf(HiddenFields[i].name);
        if (at < 0) continue;
        HiddenFields[i].value = fields[static_cast<std::size_t>(at)].value;
        fields.erase(static_cast<std::size_t>(at));
    }
}

// Every posted value reaches its control before any event fires; one failing control
// does not keep the others from their values.
void TWFAppForm::applyValues(const web::FieldList& fields) {
    std::vector<std::pair<TWFControl*, std::string>> targets;
    IndexByHtmlName(nameIndex_);
    for (const auto& field : fields) {
        if (field.name == "WF_FormName" || field.name == "WF_FormClass") continue;
        for (TWFControl* control : nameIndex_.find(web::text::toUpper(field.name))) {
            // Browsers post no disabled field, so a disabled control keeps its own value.
            if (!control->isInputControl() || !control->isEditable() || !control->isEnabled() ||
                !control->Visible) {
                continue;
            }
            bool known = std::any_of(targets.begin(), targets.end(),
                                     [control](const auto& t) { return t.first == control; });
            if (!known) targets.emplace_back(control, field.value);
        }
    }
    std::string failures;
    for (const auto& [control, value] : targets) {
        try {
            control->SetValue(value);
        } catch (const std::exception& error) {
            failures += "  " + control->Name + ": " + error.what() + "\r\n";
        }
    }
    if (!failures.empty())
        throw web::EWFException("The submitted values could not be applied:\r\n" + failures);
}

// Whether the control is on the page as the user sees it now: it and every region
// around it are visible.
static bool shownNow(const TWFControl& control) {
    const TWFControl* current = &control;
    while (current != nullptr) {
        if (!current->Visible) return false;
        const TWFContainer* parent = current->Parent();
        if (parent == nullptr) break;
        if (!parent->ContainerVisible()) return false;
        current = dynamic_cast<const TWFControl*>(parent);
    }
    return true;
}

// A post may name any control; only one the user can see and use now may fire, so a
// hidden link or a disabled button stays out of reach of a forged post.
static bool canFireNow(const TWFControl& control) {
    return control.isEnabled() && shownNow(control);
}

TWFControl* TWFAppForm::findSubmitTarget(const std::string& action) const {
    for (const auto& [name, control] : lastRendered_) {
        if (web::text::equalsNoCase(name, action) && canFireNow(*control)) return control;
    }
    std::vector<TWFControl*> found;
    FindByHtmlName(action, found);
    auto usable = std::find_if(found.begin(), found.end(),
                               [](const TWFControl* control) { return canFireNow(*control); });
    return usable == found.end() ? nullptr : *usable;
}

void TWFAppForm::ProcessSubmit(const web::FieldList& params) {
    web::FieldList fields = params;
    std::string action = fields.value("WF_Action");
    std::string parameter = fields.value("WF_ActionParam");
    for (const char* name : {"WF_Action", "WF_ActionParam"}) {
        if (int at = fields.indexOf(name); at >= 0) fields.erase(static_cast<std::size_t>(at));
    }
    std::string width = fields.value("WF_width");
    std::string height = fields.value("WF_height");
    if (!width.empty() && !height.empty()) {
        setSize(web::text::toIntDef(width, Width), web::text::toIntDef(height, Height));
        if (web::TWFApplication* session = web::CurrentSession()) session->SetWindowSize(Width, Height);
        for (const char* name : {"WF_width", "WF_height"})
            fields.erase(static_cast<std::size_t>(fields.indexOf(name)));
    }
    if (action.empty() && parameter.empty()) return;
    applyHiddenFields(fields);
    web::FieldList merged = mergeDuplicates(DecodePostedFields(std::move(fields)));
    bool fromUploadFrame = merged.contains("WF_MainPageSubmitControl");
    applyValues(merged);
    if (!action.empty()) {
        TWFControl* target = findSubmitTarget(action);
        if (target == nullptr) throw web::EWFException("Cannot find submit component.");
        if (!target->isSubmitControl()) {
            throw web::EWFException("Submit control (" + target->HtmlName() + ") does not have a handler.");
        }
        target->Submit(parameter);
    } else if (!fromUploadFrame && OnDefaultAction) {
        OnDefaultAction(*this);
    }
}

}  // namespace web::forms
