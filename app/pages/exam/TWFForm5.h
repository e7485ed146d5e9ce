#pragma once

#include <string>

#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFHRule.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFListbox.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"

namespace exam {

// The exam page: one question at a time, a navigator of all questions, the candidate's
// name and the hand-in. The answers live on the page until the hand-in stores the paper;
// the hidden lists tmid and tmda hold, per question in display order, its id and the
// answer given so far ("A" to "F", a multiple-choice answer as its letters in order A to F,
// empty when unanswered). The item index of tmid is the question shown.
class TWFForm5 : public web::forms::TWFAppForm {
public:
    TWFForm5();

    web::forms::TWFRegion* WFRegion1;
    web::forms::TWFLabel* WFLabel1;
    web::forms::TWFLink* WFLink2;
    web::forms::TWFHRule* WFHRule1;
    web::forms::TWFLabel* WFLabel3;
    web::forms::TWFEdit* WFEdit1;
    web::forms::TWFLink* WFLink1;
    web::forms::TWFLabel* WFLabel4;
    web::forms::TWFRegion* WFRegion2;
    web::forms::TWFGrid* WFGrid1;
    web::forms::TWFLabel* WFLabel2;
    web::forms::TWFMemo* WFMemo1;
    web::forms::TWFLabel* WFLabel9;
    web::forms::TWFRadioGroup* WFRadioGroup1;
    web::forms::TWFRegion* WFRegion4;
    web::forms::TWFCheckBox* xA;
    web::forms::TWFCheckBox* xB;
    web::forms::TWFCheckBox* xC;
    web::forms::TWFCheckBox* xD;
    web::forms::TWFCheckBox* xE;
    web::forms::TWFCheckBox* xF;
    web::forms::TWFButton* WFButton1;
    web::forms::TWFButton* WFButton2;
    web::forms::TWFButton* WFButton4;
    web::forms::TWFLabel* WFLabel8;
    web::forms::TWFRegion* dqjlcol;
    web::forms::TWFLabel* WFLabel5;
    web::forms::TWFRegion* ydcol;
    web::forms::TWFLabel* WFLabel6;
    web::forms::TWFRegion* weidacol;
    web::forms::TWFLabel* WFLabel7;
    web::forms::TWFLabel* WFLabel10;
    web::forms::TWFListbox* tmid;
    web::forms::TWFListbox* tmda;

    // Shows the current question as stored and the answer saved for it; recolours the
    // navigator.
    void xsxt();
    // Saves the answer shown on the page as the current question's answer.
    void dasave();

private:
    void createHeading();
    void createName();
    void createNavigator();
    void createQuestion();
    void createButtons();
    void createLegend();
    void createState();
    void WFAppFormCreate();

    void WFButton1Click(web::forms::TWFControl& sender);
    void WFButton2Click(web::forms::TWFControl& sender);
    void WFGrid1CellClick(web::forms::TWFControl& sender, int row, int column);
    void WFLink1Click(web::forms::TWFControl& sender);
    void WFLink2Click(web::forms::TWFControl& sender);
    void WFButton4Click(web::forms::TWFControl& sender);

    int position() const { return tmid->ItemIndex(); }
    int questionCount() const { return tmid->ItemCount(); }
    bool onQuestion() const { return position() >= 0 && position() < questionCount(); }
    web::forms::TWFCheckBox* box(int k) const;
    void showOptions(const std::string& type, const std::string& options);
    void colourNavigator();
    void showProgress();
    // Stores the paper and its score in one transaction; false when a paper of this
    // exam, name and tag exists already.
    bool storePaper(const std::string& name);
};

}  // namespace exam
