#pragma once

#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/forms/controls/TWFText.h"
#include "web/forms/controls/TWFTimer.h"

namespace exam {

// The page after a hand-in: the confirmation, the name and score when the exam shows
// them, and, when the exam offers it, the form that posts the answer sheet to the vendor's
// answer-review page. Ten seconds after it is shown the session ends and the browser moves
// on to the address the host keeps for that.
class TWFForm7 : public web::forms::TWFAppForm {
public:
    TWFForm7();

    web::forms::TWFRegion* WFRegion1;
    web::forms::TWFLabel* WFLabel1;
    web::forms::TWFLabel* WFLabel2;
    web::forms::TWFText* WFText1;
    web::forms::TWFMemo* temmemo;
    web::forms::TWFTimer* WFTimer1;

private:
    void WFAppFormCreate();
    void WFTimer1Timer(web::forms::TWFControl& sender);
    void buildReviewForm();
};

}  // namespace exam
