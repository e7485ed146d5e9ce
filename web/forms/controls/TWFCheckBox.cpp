#include "web/forms/controls/TWFCheckBox.h"

#include "web/forms/TWFPageContext40.h"
#include "web/forms/TWFRenderMemo.h"
#include "web/forms/controls/TWFButton.h"
#include "web/server/TWFServerControllerBase.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

// The pictures of the image-drawn box, below the application's address.
std::string coolPicture(bool checked) {
    const web::TWFServerControllerBase* controller = web::ServerController();
    std::string base = controller != nullptr ? controller->URLBase : "";
    return base + "/gfx/CoolCheckBox_" + (checked ? "True" : "False") + ".gif";
}

// Page script shared by every image-drawn box of the page: the two cached pictures and the
// toggle that flips the hidden value, swaps the picture and, when asked, posts the page.
std::string coolBoxScript() {
    return "var GCoolCheckBoxTrue = new Image(); GCoolCheckBoxTrue.src = \"" + coolPicture(true) + "\";\r\n" +
           "var GCoolCheckBoxFalse = new Image(); GCoolCheckBoxFalse.src = \"" + coolPicture(false) +
           "\";\r\n" +
           "function CoolCheckBoxToggle(fieldName, image, submit) {\r\n"
           "  var field = FindElem(fieldName);\r\n"
           "  var on = field.value.toUpperCase() != \"ON\";\r\n"
           "  field.value = on ? \"On\" : \"Off\";\r\n"
           "  image.src = on ? GCoolCheckBoxTrue.src : GCoolCheckBoxFalse.src;\r\n"
           "  if (submit) SubmitClickConfirm(fieldName.replace(/_CHECKBOX$/, \"\"), \"\", true, \"\");\r\n"
           "  return false;\r\n"
           "}\r\n";
}

}  // namespace

TWFCheckBox::TWFCheckBox(std::string name) : TWFControl(std::move(name), 121, 21) {}

std::unique_ptr<TWFHTMLTag> TWFCheckBox::renderTag(TWFPageContext40&) {
    const std::string name = HtmlName();
    const std::string input = name + std::string(InputNameSuffix());
    auto outer = std::make_unique<TWFHTMLTag>("span");
    outer->setAttribute("ID", name);
    if (Style == TWFCheckBoxStyle::stCool) {
        addCoolBox(*outer, name, input);
        TWFMarkupLanguageTag& caption = outer->addTag("span");
        if (Editable && Enabled) caption.setAttribute("OnClick", coolToggleCall(name, input));
        caption.addMarkup(Caption);
    } else {
        addNormalBox(*outer, input);
        addLabel(*outer, input);
    }
    return outer;
}

void TWFCheckBox::addNormalBox(TWFHTMLTag& outer, const std::string& input) const {
    TWFMarkupLanguageTag& box = outer.addTag("input");
    if (!Enabled) box.addBareAttribute("DISABLED");
    box.setAttribute("TYPE", "CHECKBOX");
    if (Checked) box.addBareAttribute("CHECKED");
    box.setAttribute("id", input);
    box.setIntAttribute("TabIndex", tabIndex());
    if (Editable) {
        box.setAttribute("NAME", input);
    } else {
        // Without a name the box is not posted; the script keeps the browser from ticking it.
        box.setAttribute("OnClick", "return false;");
    }
}

void TWFCheckBox::addCoolBox(TWFHTMLTag& outer, const std::string& name, const std::string& input) const {
    if (!Editable) {
        TWFMarkupLanguageTag& image = outer.addTag("img");
        image.setAttribute("SRC", coolPicture(Checked));
        return;
    }
    TWFMarkupLanguageTag& link = outer.addTag("a");
    link.setAttribute("HREF", "#");
    link.setAttribute("style", "text-decoration:none");
    link.setAttribute("OnClick", coolToggleCall(name, input));
    link.setIntAttribute("TabIndex", tabIndex());
    TWFMarkupLanguageTag& image = link.addTag("img");
    image.setAttribute("NAME", name + "_Image");
    image.setAttribute("BORDER", "0");
    image.setAttribute("WIDTH", "10");
    image.setAttribute("HEIGHT", "12");
    TWFMarkupLanguageTag& field = outer.addTag("input");
    field.setAttribute("TYPE", "HIDDEN");
    field.setAttribute("NAME", input);
}

// The caption is the box's label: a click on it ticks the box (the browser passes the
// click on to the box, which posts from there), and a screen reader reads it with the box.
void TWFCheckBox::addLabel(TWFHTMLTag& outer, const std::string& input) const {
    TWFMarkupLanguageTag& caption = outer.addTag("label");
    caption.setAttribute("for", input);
    if (Editable && Enabled) caption.setAttribute("OnClick", "event.cancelBubble = true;");
    // The caption is markup on purpose: the exam page shows an option's own markup.
    caption.addMarkup(Caption);
}

std::string TWFCheckBox::coolToggleCall(const std::string& name, const std::string& input) const {
    return "CoolCheckBoxToggle('" + input + "', document.images." + name + "_Image, " +
           (OnClick ? "true" : "false") + ")";
}

TWFScriptEvents TWFCheckBox::ownScriptEvents(const TWFPageContext40&) const {
    // The image-drawn box posts from its own toggle.
    if (Style != TWFCheckBoxStyle::stNormal || !Editable || !OnClick) return {};
    // Hooked on the outer span: the box has toggled by the time the click gets there.
    return {
        {"OnClick", "return " + submitClickConfirmCall(HtmlName(), DoSubmitValidation, Confirmation) + ";"}};
}

void TWFCheckBox::addScripts(TWFPageContext40& context) {
    if (Style != TWFCheckBoxStyle::stCool || !Editable) return;
    if (context.pageScript.find("function CoolCheckBoxToggle(") == std::string::npos) {
        context.AddPageScript(coolBoxScript());
    }
    context.AddInitScript("document.images." + HtmlName() +
                          "_Image.src = " + (Checked ? "GCoolCheckBoxTrue" : "GCoolCheckBoxFalse") + ".src;");
    context.AddInitScript("FindElem('" + InputName() + "').value = \"" + (Checked ? "On" : "Off") + "\";");
}

void TWFCheckBox::SetValue(const std::string& value) {
    bool checked = web::text::equalsNoCase(value, "on");
    if (checked == Checked) return;
    Checked = checked;
    if (OnChange) OnChange(*this);
}

void TWFCheckBox::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (OnClick) OnClick(*this);
}

bool TWFCheckBox::appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const {
    appendControlKey(key);
    key.numbers(
        {Checked, static_cast<int>(Style), Editable, Enabled, DoSubmitValidation, OnClick != nullptr});
    key.text(Caption).text(Confirmation);
    // The image-drawn box shows pictures below the application's address, and the first
    // one of the page brings the toggle's script.
    if (Style == TWFCheckBoxStyle::stCool) {
        key.text(coolPicture(true));
        key.numbers({context.pageScript.find("function CoolCheckBoxToggle(") == std::string::npos});
    }
    return true;
}

}  // namespace web::forms
