#pragma once

#include <functional>

#include "web/forms/TColor.h"
#include "web/forms/TWFControl.h"
#include "web/server/TWFServerControllerBase.h"

namespace web::forms {

// The border drawn around an image.
struct TWFImageBorderOptions {
    TColor Color = clNone;
    int Width = 0;
};

// A click on an image at a position inside it.
using TWFImageMouseDownEvent = std::function<void(TWFControl& sender, int x, int y)>;

// An image file of the application's files folder, or an image address. It shows at its
// natural size unless UseSize; a click can post the page (OnClick) or post the position
// clicked (OnMouseDown).
class TWFImageFile : public TWFControl {
public:
    explicit TWFImageFile(std::string name);

    web::TWFFileReference ImageFile;
    // Recomputed at every render: false only for references into the non-cached files.
    bool Cacheable = true;
    std::string AltText;
    TWFImageBorderOptions BorderOptions;
    bool Enabled = true;
    std::string Confirmation;
    bool DoSubmitValidation = true;

    // AutoSize and UseSize exclude each other; UseSize also decides RenderSize.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    bool UseSize() const { return useSize_; }
    void SetUseSize(bool on);

    // OnClick and OnMouseDown exclude each other: assigning one clears the other.
    const TNotifyEvent& OnClick() const { return onClick_; }
    void SetOnClick(TNotifyEvent handler);
    const TWFImageMouseDownEvent& OnMouseDown() const { return onMouseDown_; }
    void SetOnMouseDown(TWFImageMouseDownEvent handler);

    bool isSubmitControl() const override { return true; }
    bool isEnabled() const override { return Enabled; }
    // A picture nothing happens on (a banner, a decoration) is no stop for the keyboard.
    bool tagIsTabStop() const override { return Enabled && (onClick_ || onMouseDown_); }
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    TWFScriptEvents ownScriptEvents(const TWFPageContext40& context) const override;
    // The parameter of a mouse-down post is "x,y"; a disabled image takes no click.
    void Submit(const std::string& parameter) override;

    // The address the image is written with.
    std::string SourceURL();

private:
    bool autoSize_ = true;
    bool useSize_ = false;
    TNotifyEvent onClick_;
    TWFImageMouseDownEvent onMouseDown_;
};

}  // namespace web::forms
