#include "web/forms/controls/TWFImageFile.h"

#include <limits>
#include <optional>

#include "web/forms/FileReferenceURL.h"
#include "web/forms/TWFPageContext40.h"
#include "web/forms/controls/TWFButton.h"
#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

// "/Files/" becomes "/FilesNC/": the address of the files that are sent as not cacheable.
std::string nonCachedFilesURL(std::string filesURL) {
    if (!filesURL.empty() && filesURL.back() == '/') filesURL.pop_back();
    return filesURL + "NC/";
}

std::optional<int> coordinate(std::string_view text) {
    std::int64_t value = 0;
    if (!web::text::parseInt64(text, value)) return std::nullopt;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

TWFImageFile::TWFImageFile(std::string name) : TWFControl(std::move(name), 89, 112) {}

void TWFImageFile::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) SetUseSize(false);
}

void TWFImageFile::SetUseSize(bool on) {
    useSize_ = on;
    RenderSize = on;
    if (on) autoSize_ = false;
}

void TWFImageFile::SetOnClick(TNotifyEvent handler) {
    onClick_ = std::move(handler);
    if (onClick_) onMouseDown_ = nullptr;
}

void TWFImageFile::SetOnMouseDown(TWFImageMouseDownEvent handler) {
    onMouseDown_ = std::move(handler);
    if (onMouseDown_) onClick_ = nullptr;
}

std::string TWFImageFile::SourceURL() {
    const std::string& reference = ImageFile.url().empty() ? ImageFile.filename() : ImageFile.url();
    Cacheable = web::text::findNoCase(reference, "FILESNC") == std::string::npos;
    const web::TWFServerControllerBase* controller = web::ServerController();
    std::string filesURL = controller != nullptr ? controller->filesURL() : "/Files/";
    std::string filesFolder = controller != nullptr ? controller->filesFolder() : "";
    return fileReferenceURL(ImageFile, Cacheable ? filesURL : nonCachedFilesURL(filesURL), filesFolder);
}

std::unique_ptr<TWFHTMLTag> TWFImageFile::renderTag(TWFPageContext40&) {
    auto tag = std::make_unique<TWFHTMLTag>("img");
    tag->setAttribute("SRC", SourceURL());
    tag->setAttribute("NAME", HtmlName());
    tag->setIntAttribute("BORDER", BorderOptions.Width);
    if (BorderOptions.Color != clNone) {
        tag->addBareAttribute("style={border-color: " + htmlColor(BorderOptions.Color) + ";}");
    }
    tag->setTextAttribute("ALT", AltText);
    if (useSize_) {
        tag->setIntAttribute("WIDTH", Width);
        tag->setIntAttribute("HEIGHT", Height);
    }
    return tag;
}

TWFScriptEvents TWFImageFile::ownScriptEvents(const TWFPageContext40&) const {
    if (!Enabled) return {};
    if (onMouseDown_) {
        return {{"OnMouseDown", "return ImageClick(this.name,event," +
                                    std::string(DoSubmitValidation ? "true" : "false") + ", '" +
                                    web::ScriptStringEscape(Confirmation) + "');"}};
    }
    if (onClick_) {
        return {{"OnClick",
                 "return " + submitClickConfirmCall(HtmlName(), DoSubmitValidation, Confirmation) + ";"}};
    }
    return {};
}

void TWFImageFile::Submit(const std::string& parameter) {
    lastParameter_ = parameter;
    if (!Enabled) return;
    if (onMouseDown_) {
        std::size_t comma = parameter.find(',');
        if (comma == std::string::npos) return;
        std::optional<int> x = coordinate(std::string_view(parameter).substr(0, comma));
        std::optional<int> y = coordinate(std::string_view(parameter).substr(comma + 1));
        // A position that is not two numbers did not come from a click.
        if (x && y) onMouseDown_(*this, *x, *y);
        return;
    }
    if (onClick_) onClick_(*this);
}

}  // namespace web::forms
