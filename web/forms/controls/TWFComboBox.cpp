#include "web/forms/controls/TWFComboBox.h"

#include "web/forms/TWFPageContext40.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {

TWFComboBox::TWFComboBox(std::string name) : TWFCustomListCombo(std::move(name), 121, 21) {}

std::unique_ptr<TWFHTMLTag> TWFComboBox::renderTag(TWFPageContext40& context) {
    if (!Editable && NonEditableAsLabel) {
        bool selected = ItemIndex() >= 0 && ItemIndex() < ItemCount();
        return renderAsLabel(context, selected ? ItemDisplay(ItemIndex()) : "");
    }
    return Style == TWFComboBoxStyle::stEnhanced ? renderEnhanced(context) : renderSelect(context);
}

std::unique_ptr<TWFHTMLTag> TWFComboBox::renderSelect(TWFPageContext40& context) const {
    auto select = std::make_unique<TWFHTMLTag>("select");
    select->setAttribute("NAME", HtmlName());
    select->setAttribute("SIZE", "1");
    if (!Enabled) select->addBareAttribute("DISABLED");
    if (!Editable) {
        select->setAttribute("DISABLED", "true");
        select->setAttribute("READONLY", "true");
    }
    if (UseSize()) select->setIntAttribute("WIDTH", Width);
    if (Editable && OnChange && changeScriptInTag(context))
        select->setAttribute("OnChange", submitScript("", ""));
    addOptions(*select, offersNoSelection(), ItemIndex() == -1, [this](int i) { return i == ItemIndex(); });
    return select;
}

// A hidden field with the selected value, the shown text with its button, and a panel of
// items that opens under it; choosing an item sets the field and, with OnChange, posts the
// chosen index as the parameter.
std::unique_ptr<TWFHTMLTag> TWFComboBox::renderEnhanced(TWFPageContext40&) const {
    std::string name = HtmlName();
    bool selected = ItemIndex() >= 0 && ItemIndex() < ItemCount();
    auto outer = std::make_unique<TWFHTMLTag>("span");
    TWFMarkupLanguageTag& field = outer->addTag("input");
    field.setAttribute("TYPE", "HIDDEN");
    field.setAttribute("NAME", name);
    field.setAttribute("id", name + "_Value");
    field.setTextAttribute("VALUE", selected ? ItemValue(ItemIndex()) : "-1");
    bool open = Enabled && Editable;
    TWFMarkupLanguageTag& shown = outer->addTag("div");
    shown.setAttribute("id", name + "_Selected");
    shown.setAttribute("style", "display:flex;align-items:center;border:1px solid #7f9db9;cursor:default;");
    if (open) shown.setAttribute("OnClick", name + "_Toggle();");
    TWFMarkupLanguageTag& text = shown.addTag("span");
    text.setAttribute("id", name + "_Text");
    text.setAttribute("style", "flex:1;overflow:hidden;white-space:nowrap;");
    if (selected) {
        text.addText(ItemDisplay(ItemIndex()), true);
    } else {
        text.addMarkup(NoSelectionText);
    }
    TWFMarkupLanguageTag& button = shown.addTag(ButtonImage.empty() ? "span" : "img");
    button.setAttribute("id", name + "_Button");
    if (!ButtonImage.empty()) {
        button.setAttribute("SRC", ButtonImage);
        button.setAttribute("WIDTH", "17");
        button.setAttribute("HEIGHT", "18");
    }
    button.setAttribute("style",
                        "display:inline-block;width:17px;height:18px;text-align:center;background-color:" +
                            htmlColor(ButtonColor) + ";");
    if (ButtonImage.empty()) button.addMarkup("&#9660;");
    TWFMarkupLanguageTag& panel = outer->addTag("div");
    panel.setAttribute("id", name + "_DropDown");
    panel.setAttribute("style",
                       "display:none;position:absolute;z-index:10;background-color:#ffffff;"
                       "border:1px solid #7f9db9;");
    if (ItemCount() == 0) return outer;
    auto addItem = [&](const std::string& id, int index, const TWFTextElement& caption) {
        TWFMarkupLanguageTag& item = panel.addTag("div");
        item.setAttribute("id", id);
        if (open)
            item.setAttribute("OnClick", "return " + name + "_Choose(" + std::to_string(index) + ", this);");
        item.addElement(std::make_unique<TWFTextElement>(caption));
    };
    if (offersNoSelection())
        addItem(name + "_item_noselect", -1, TWFTextElement(NoSelectionText, TWFTextKind::Markup));
    for (int i = 0; i < ItemCount(); ++i) {
        addItem(name + "_item_" + std::to_string(i), i,
                TWFTextElement(ItemDisplay(i), TWFTextKind::TextWithBreaks));
    }
    return outer;
}

TWFScriptEvents TWFComboBox::ownScriptEvents(const TWFPageContext40& context) const {
    if (!Editable) return {};
    // The enhanced style posts from its own item script.
    if (Style == TWFComboBoxStyle::stEnhanced) return {};
    return selectScriptEvents(context, "");
}

void TWFComboBox::addScripts(TWFPageContext40& context) {
    TWFCustomListCombo::addScripts(context);
    std::string name = HtmlName();
    context.AddWFCLInitScript("if(" + name + "WFCL) { " + name +
                              "WFCL.AutoHide = " + (AutoHideOnMenuActivation ? "true" : "false") + " }");
    if (Style == TWFComboBoxStyle::stEnhanced && Editable) context.AddPageScript(enhancedScript());
}

// The item values and the two functions of the enhanced drop-down.
std::string TWFComboBox::enhancedScript() const {
    std::string values;
    for (int i = 0; i < ItemCount(); ++i) {
        values += (i == 0 ? "\"" : ", \"") + web::ScriptStringEscape(ItemValue(i)) + "\"";
    }
    std::string post = OnChange ? "  return SubmitClickConfirm('%N',''+idx+'', " +
                                      std::string(DoSubmitValidation ? "true" : "false") + ", '');\r\n"
                                : "";
    std::string functions =
        "function %N_Toggle() {\r\n"
        "  var panel = document.getElementById('%N_DropDown');\r\n"
        "  panel.style.display = panel.style.display == 'none' ? '' : 'none';\r\n"
        "}\r\n"
        "function %N_Choose(idx, item) {\r\n"
        "  document.getElementById('%N_Value').value = idx < 0 ? '-1' : %N_Values[idx];\r\n"
        "  document.getElementById('%N_Text').innerHTML = item.innerHTML;\r\n"
        "  document.getElementById('%N_DropDown').style.display = 'none';\r\n" +
        post + "  return false;\r\n}\r\n";
    std::string name = HtmlName();
    return "var " + name + "_Values = [" + values + "];\r\n" + web::text::replaceAll(functions, "%N", name);
}

void TWFComboBox::SetValue(const std::string& value) {
    if (ItemsHaveValues) {
        SetItemIndex(IndexOfValue(value));
        return;
    }
    std::string text = value;
    int index = postedIndex(web::text::cutWord(text, ','));
    if (index != ItemIndex()) SetItemIndex(index);
}

void TWFComboBox::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (OnChange) OnChange(*this);
}

}  // namespace web::forms
