#pragma once

#include <string>
#include <vector>

#include "web/forms/TColor.h"
#include "web/forms/TWFContainer.h"
#include "web/server/IWFForm.h"
#include "web/server/TWFServerControllerBase.h"

namespace web::forms {

// A page background: an image of the files folder or an address.
struct TWFBackground {
    web::TWFFileReference Image;
    bool Fixed = false;
};

// A page of the application. A page class builds its controls in its constructor; the
// session renders the active page after each request and hands it the posted fields.
class TWFAppForm : public TWFContainer, public web::IWFForm {
public:
    TWFAppForm(std::string name, std::string className, int width, int height);

    std::string Name;
    std::string ClassName;
    std::string Title;
    int Width;
    int Height;
    TWFBackground Background;
    web::TWFFileReference StyleSheet;
    bool LockUntilLoaded = true;
    bool LockOnSubmit = true;
    bool XPTheme = true;
    bool LeftToRight = true;
    // The language of the page's texts ("zh-CN"), written on <html>; empty: not said.
    std::string Language;
    bool ShowHint = true;
    std::vector<std::string> JavaScript;
    std::vector<std::string> ExtraHeader;
    web::FieldList HiddenFields;
    TColor BGColor = clNone;
    TColor TextColor = clNone;
    TColor LinkColor = clNone;
    TColor VLinkColor = clNone;
    std::function<void(TWFAppForm&)> OnDefaultAction;

    // --- web::IWFForm -------------------------------------------------------------
    const std::string& formName() const override { return Name; }
    int width() const override { return Width; }
    int height() const override { return Height; }
    void setSize(int width, int height) override;
    void ProcessSubmit(const web::FieldList& params) override;
    void RenderHTML(std::ostream& out, web::TWFApplication& session) override;
    void AddInitScript(const std::string& script) override { initScriptAddition_ += script; }
    void AddPageScript(const std::string& script) override { pageScriptAddition_ += script; }

    // --- TWFContainer -------------------------------------------------------------
    std::string LayoutObjectName() const override { return "WFCLForm"; }
    bool IsPage() const override { return true; }

    // The complete document as UTF-8 text (RenderHTML encodes it for the page's charset).
    std::string RenderDocument(web::TWFApplication& session);

private:
    // A rendered page as UTF-8: everything up to the body's opening tag, and the rest.
    struct Document {
        std::string head;
        std::string body;
    };
    Document renderParts(web::TWFApplication& session);
    void appendHeadLines(std::string& out, const web::TWFServerControllerBase* controller) const;
    void appendSubmitForm(std::string& out, const std::string& action, const TWFPageContext40& context) const;
    void appendBodyOpening(std::string& out, const web::TWFServerControllerBase* controller);
    std::string bodyOpening(const std::string& background) const;
    void fillPageScript(TWFPageContext40& context, web::TWFApplication& session) const;
    TWFControl* findSubmitTarget(const std::string& action) const;
    void applyHiddenFields(web::FieldList& fields);
    void applyValues(const web::FieldList& fields);

    int designWidth_;
    int designHeight_;
    std::string initScriptAddition_;
    std::string pageScriptAddition_;
    // Size of the last rendered body: the next render reserves about as much.
    std::size_t lastBodySize_ = 0;
    // What the scripts and style rules took last time, reserved up front the next time.
    std::size_t lastPageScriptSize_ = 0;
    std::size_t lastLayoutScriptSize_ = 0;
    std::size_t lastStyleSize_ = 0;
    // The body's opening tag as last written, with the inputs it was written from: the same
    // on nearly every render of a page.
    std::string bodyOpening_;
    std::string bodyOpeningInputs_;
    // The controls of the last render, by HTML name.
    std::vector<std::pair<std::string, TWFControl*>> lastRendered_;
    // The controls by the names a post may give, kept from one post to the next.
    HtmlNameIndex nameIndex_;
};

}  // namespace web::forms
