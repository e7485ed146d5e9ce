#pragma once

#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFRegion.h"

namespace exam {

// The gate to the administration pages: the password stored in the database leads on to
// the exam list. Failed attempts are counted per client address; an address that failed
// too often is refused for a while without its password being checked.
class TWFForm1 : public web::forms::TWFAppForm {
public:
    TWFForm1();

    web::forms::TWFRegion* WFRegion1;
    web::forms::TWFLabel* WFLabel1;
    web::forms::TWFLink* WFLink1;
    web::forms::TWFRegion* WFRegion5;
    web::forms::TWFEdit* WFEdit1;
    web::forms::TWFButton* WFButton1;

    void WFButton1Click(web::forms::TWFControl& sender);
    void WFLink1Click(web::forms::TWFControl& sender);

private:
    bool passwordMatches(const std::string& password);
};

}  // namespace exam
