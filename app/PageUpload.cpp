#include "app/PageUpload.h"

#include <fstream>

#include "web/forms/TWFHTMLTag.h"
#include "web/forms/TWFPageContext40.h"
#include "web/server/HtmlEscape.h"
#include "web/server/TWFApplication.h"
#include "web/server/Text.h"

namespace exam {
namespace {

// Sends the chooser of `name` alone, with the page's action, in a multipart form of its
// own; the runtime's submit form holds only copied text values and cannot carry a file.
constexpr const char* kUploadScript =
    "function ExamUploadFile(name) {\r\n"
    "  var input = document.getElementById(name + \"_FILE\");\r\n"
    "  if (!input || !input.files || input.files.length === 0) {\r\n"
    "    window.alert(ExamUploadNoFile[name]);\r\n"
    "    return false;\r\n"
    "  }\r\n"
    "  if (GSubmitting || !InitSubmitter()) return false;\r\n"
    "  GSubmitting = true;\r\n"
    "  var upload = document.createElement(\"form\");\r\n"
    "  upload.method = \"post\";\r\n"
    "  upload.action = GSubmitter.action;\r\n"
    "  upload.enctype = \"multipart/form-data\";\r\n"
    "  upload.acceptCharset = \"UTF-8\";\r\n"
    "  upload.style.display = \"none\";\r\n"
    "  var fields = [[\"WF_Action\", name], [\"WF_ActionParam\", \"\"],\r\n"
    "                [\"WF_FormName\", GSubmitter.elements[\"WF_FormName\"].value],\r\n"
    "                [\"WF_FormClass\", GSubmitter.elements[\"WF_FormClass\"].value]];\r\n"
    "  for (var i = 0; i < fields.length; i++) {\r\n"
    "    var field = document.createElement(\"input\");\r\n"
    "    field.type = \"hidden\";\r\n"
    "    field.name = fields[i][0];\r\n"
    "    field.value = fields[i][1];\r\n"
    "    upload.appendChild(field);\r\n"
    "  }\r\n"
    "  upload.appendChild(input);\r\n"
    "  document.body.appendChild(upload);\r\n"
    "  SetBusy(true);\r\n"
    "  upload.submit();\r\n"
    "  return false;\r\n"
    "}\r\n";

}  // namespace

FileUpload::FileUpload(std::string name) : TWFControl(std::move(name), 400, 25) {}

std::unique_ptr<web::forms::TWFHTMLTag> FileUpload::renderTag(web::forms::TWFPageContext40&) {
    auto tag = std::make_unique<web::forms::TWFHTMLTag>("span");
    auto& chooser = tag->addTag("input");
    chooser.setAttribute("TYPE", "file");
    chooser.setAttribute("ID", HtmlName() + "_FILE");
    chooser.setAttribute("NAME", HtmlName());
    // Attribute values here are fixed texts and upper-case names without markup characters.
    if (!Accept.empty()) chooser.setAttribute("ACCEPT", Accept);
    auto& button = tag->addTag("input");
    button.setAttribute("TYPE", "button");
    button.setAttribute("ID", HtmlName() + "_SEND");
    button.setAttribute("VALUE", ButtonCaption);
    button.setAttribute("ONCLICK", "return ExamUploadFile('" + HtmlName() + "');");
    return tag;
}

void FileUpload::addScripts(web::forms::TWFPageContext40& context) {
    context.AddPageScript(kUploadScript);
    context.AddPageScript("var ExamUploadNoFile = ExamUploadNoFile || {};\r\nExamUploadNoFile['" +
                          HtmlName() + "'] = '" + web::ScriptStringEscape(NoFileMessage) + "';\r\n");
}

void FileUpload::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (OnUpload) OnUpload(*this);
}

std::optional<FileUpload::Posted> FileUpload::PostedFile(std::size_t limit) const {
    const web::TWFApplication* session = web::CurrentSession();
    if (session == nullptr || session->Request() == nullptr) return std::nullopt;
    for (const auto& file : session->Request()->files) {
        if (!file || web::text::toUpper(file->fieldName) != HtmlName()) continue;
        Posted posted{file->fileName, std::string(limit + 1, '\0')};
        std::ifstream in(file->dataPath, std::ios::binary);
        in.read(posted.content.data(), static_cast<std::streamsize>(posted.content.size()));
        posted.content.resize(static_cast<std::size_t>(in.gcount()));
        return posted;
    }
    return std::nullopt;
}

}  // namespace exam
