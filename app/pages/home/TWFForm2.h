#pragma once

#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFRegion.h"

namespace exam {

// The home page every session starts on: the exams switched on for the home page, each
// name a link into the exam, and the way into the administration area.
class TWFForm2 : public web::forms::TWFAppForm {
public:
    TWFForm2();

    web::forms::TWFRegion* WFRegion1;
    web::forms::TWFLabel* WFLabel3;
    web::forms::TWFLink* WFLink1;
    web::forms::TWFGrid* WFGrid1;

private:
    void WFAppFormCreate();
    void WFGrid1CellClick(web::forms::TWFControl& sender, int row, int column);
    void WFLink1Click(web::forms::TWFControl& sender);
};

}  // namespace exam
