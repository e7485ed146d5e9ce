#include "app/PageFrames.h"

#include "app/VendorServices.h"

namespace exam {

using namespace web::forms;

TWFFrame10::TWFFrame10(std::string instanceName) : TWFFrameRegion(std::move(instanceName), 980, 60) {
    BorderOptions.Style = TWFBorderStyle::cbsSolid;
    BorderOptions.BorderWidth = TWFBorderWidth::cbwNumeric;
    BorderOptions.NumericWidth = 0;
    WFImageFile1 = &Add(std::make_unique<TWFImageFile>("WFImageFile1"));
    WFImageFile1->ImageFile.setFilename("til.jpg");
    WFImageFile1->Cacheable = true;
    WFImageFile1->SetUseSize(false);
    WFImageFile1->Width = 980;
    WFImageFile1->Height = 60;
    WFImageFile1->Anchors = TWFAnchors{false, true, false, false};
    WFURLWindow1 = &Add(std::make_unique<TWFURLWindow>("WFURLWindow1"));
    WFURLWindow1->Left = 320;
    WFURLWindow1->Width = 660;
    WFURLWindow1->Height = 60;
    WFURLWindow1->Border = false;
    WFURLWindow1->MarginWidth = 0;
    WFURLWindow1->MarginHeight = 0;
    WFURLWindow1->Scrolling = TWFURLWindowScrolling::usNo;
    WFURLWindow1->URI = VendorBannerAddress();
    // The banner is decoration: the keyboard goes from the page's own controls to the next.
    WFURLWindow1->TabStop = false;
}

TWFFrame11::TWFFrame11(std::string instanceName) : TWFFrameRegion(std::move(instanceName), 980, 60) {
    BorderOptions.Style = TWFBorderStyle::cbsNone;
    WFLabel1 = &Add(std::make_unique<TWFLabel>("WFLabel1"));
    WFLabel1->Left = 10;
    WFLabel1->Top = 8;
    WFLabel1->Width = 960;
    WFLabel1->Height = 16;
    WFLabel1->Anchors = TWFAnchors{true, true, true, false};
    WFLabel1->Alignment = TAlignment::taCenter;
    // Centred across the frame: the label keeps its width instead of fitting its text.
    WFLabel1->AutoSize = false;
    WFLabel1->Font.Size = 9;
    WFLabel1->RawText = true;
    WFLabel1->Caption = "技术支持：<a href=\"" + VendorHomeAddress() + "\" target=\"_blank\">枫岚软件工作室 </a>";
    // The frame's design also holds a timer beside the region; only a frame's region takes
    // part in a page, so it never runs and is left out.
}

void ApplyExamPageSettings(TWFAppForm& page, const std::string& title) {
    page.Title = title;
    page.Width = 1000;
    page.Background.Image.setFilename("img01.jpg");
    page.Background.Fixed = false;
    page.LockUntilLoaded = true;
    page.LockOnSubmit = true;
    page.ShowHint = true;
    page.XPTheme = true;
    page.LeftToRight = true;
    page.Language = "zh-CN";
}

TWFRegion& AddMainRegion(TWFAppForm& page, int height, bool allSides) {
    auto& region = page.Add(std::make_unique<TWFRegion>("WFRegion1"));
    region.Left = 10;
    region.Top = 60;
    region.Width = 980;
    region.Height = height;
    region.Anchors = TWFAnchors{allSides, true, allSides, true};
    region.BorderOptions.Color = clWebTAN;
    region.BorderOptions.Style = TWFBorderStyle::cbsSolid;
    region.BorderOptions.BorderWidth = TWFBorderWidth::cbwNumeric;
    region.BorderOptions.NumericWidth = 1;
    region.Color = clWebWHITE;
    return region;
}

TWFFrame10& PlaceHeaderFrame(TWFAppForm& page, int left, int top, bool keepLeft) {
    auto& frame = page.Add(std::make_unique<TWFFrame10>());
    frame.Left = left;
    frame.Top = top;
    frame.Anchors = TWFAnchors{keepLeft, true, false, false};
    return frame;
}

TWFFrame11& PlaceFooterFrame(TWFAppForm& page, int left, int top, int height) {
    auto& frame = page.Add(std::make_unique<TWFFrame11>());
    frame.Left = left;
    frame.Top = top;
    frame.Height = height;
    frame.Anchors = TWFAnchors{false, false, false, true};
    return frame;
}

}  // namespace exam
