#pragma once

#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFFrameRegion.h"
#include "web/forms/controls/TWFImageFile.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/forms/controls/TWFURLWindow.h"

namespace exam {

// The header shown above every page but the login: the banner image with the vendor's
// banner page over its right part.
class TWFFrame10 : public web::forms::TWFFrameRegion {
public:
    explicit TWFFrame10(std::string instanceName = "TWFFrame101");

    web::forms::TWFImageFile* WFImageFile1;
    web::forms::TWFURLWindow* WFURLWindow1;
};

// The footer shown below every page: the support line with the link to the vendor.
class TWFFrame11 : public web::forms::TWFFrameRegion {
public:
    explicit TWFFrame11(std::string instanceName = "TWFFrame111");

    web::forms::TWFLabel* WFLabel1;
};

// What every page of the application shares: 1000 pixels wide, the title, the background
// img01.jpg of the files folder scrolling with the page.
void ApplyExamPageSettings(web::forms::TWFAppForm& page, const std::string& title);

// The white main area of a page below the header at 10, 60, 980 wide, with a thin tan
// border; it stretches with the window's height (and with allSides also its width).
web::forms::TWFRegion& AddMainRegion(web::forms::TWFAppForm& page, int height, bool allSides = false);

// Places the header at left, top; it stays at the top when the window grows (with
// keepLeft also at the left, as on the results page).
TWFFrame10& PlaceHeaderFrame(web::forms::TWFAppForm& page, int left, int top, bool keepLeft = false);

// Places the footer at left, top with the given height; it follows the window's bottom.
TWFFrame11& PlaceFooterFrame(web::forms::TWFAppForm& page, int left, int top, int height = 60);

}  // namespace exam
