#pragma once

#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/forms/controls/TWFText.h"

namespace exam {

// The administrator's home: every exam with links to its settings, its deletion and its
// results; dialogs (regions shown and hidden by links) create an exam, change the
// administrator password and confirm a deletion.
class TWFForm3 : public web::forms::TWFAppForm {
public:
    TWFForm3();

    web::forms::TWFRegion* WFRegion2;
    web::forms::TWFLink* WFLink2;
    web::forms::TWFLink* WFLink1;
    web::forms::TWFLink* WFLink5;
    web::forms::TWFLink* WFLink8;
    web::forms::TWFLink* WFLink10;
    web::forms::TWFRegion* WFRegion3;
    web::forms::TWFGrid* WFGrid1;

    // Create dialog.
    web::forms::TWFRegion* WFRegion4;
    web::forms::TWFLabel* WFLabel1;
    web::forms::TWFLink* WFLink3;
    web::forms::TWFRegion* WFRegion5;
    web::forms::TWFLabel* WFLabel2;
    web::forms::TWFEdit* WFEdit1;
    web::forms::TWFButton* WFButton1;
    web::forms::TWFText* WFText1;
    // Inputs for publishing an exam to the shared-exam service; kept hidden and unread.
    web::forms::TWFLabel* WFLabel10;
    web::forms::TWFEdit* WFEdit5;
    web::forms::TWFLabel* WFLabel11;
    web::forms::TWFEdit* WFEdit6;
    web::forms::TWFLabel* WFLabel12;
    web::forms::TWFRadioGroup* WFRadioGroup1;

    // Password dialog.
    web::forms::TWFRegion* WFRegion6;
    web::forms::TWFLabel* WFLabel4;
    web::forms::TWFLink* WFLink4;
    web::forms::TWFRegion* WFRegion7;
    web::forms::TWFLabel* WFLabel3;
    web::forms::TWFEdit* WFEdit2;
    web::forms::TWFLabel* WFLabel5;
    web::forms::TWFEdit* WFEdit3;
    web::forms::TWFLabel* WFLabel6;
    web::forms::TWFEdit* WFEdit4;
    web::forms::TWFButton* WFButton2;

    // Delete confirmation.
    web::forms::TWFRegion* WFRegion8;
    web::forms::TWFLabel* WFLabel9;
    web::forms::TWFLabel* WFLabel8;
    web::forms::TWFLabel* WFLabel7;
    web::forms::TWFLink* WFLink6;
    web::forms::TWFLink* WFLink7;

    // Loading from the shared-exam library: find an exam by its number, then copy it.
    web::forms::TWFRegion* WFRegion9;
    web::forms::TWFLabel* WFLabel14;
    web::forms::TWFLink* WFLink9;
    web::forms::TWFRegion* WFRegion10;
    web::forms::TWFLabel* WFLabel15;
    web::forms::TWFEdit* WFEdit7;
    web::forms::TWFLabel* WFLabel17;
    web::forms::TWFLabel* WFLabel18;
    web::forms::TWFEdit* WFEdit8;
    web::forms::TWFLabel* WFLabel19;
    web::forms::TWFEdit* WFEdit9;
    web::forms::TWFButton* WFButton3;

    void WFAppFormCreate();
    void WFGrid1CellClick(web::forms::TWFControl& sender, int row, int column);
    void WFLink2Click(web::forms::TWFControl& sender);
    void WFLink3Click(web::forms::TWFControl& sender);
    void WFButton1Click(web::forms::TWFControl& sender);
    void WFLink1Click(web::forms::TWFControl& sender);
    void WFLink4Click(web::forms::TWFControl& sender);
    void WFButton2Click(web::forms::TWFControl& sender);
    void WFLink6Click(web::forms::TWFControl& sender);
    void WFLink7Click(web::forms::TWFControl& sender);
    void WFLink5Click(web::forms::TWFControl& sender);
    // "【备份数据】": a checked copy of the database for the browser to save.
    void WFLink10Click(web::forms::TWFControl& sender);
    void WFLink8Click(web::forms::TWFControl& sender);
    void WFLink9Click(web::forms::TWFControl& sender);
    void WFButton3Click(web::forms::TWFControl& sender);

private:
    void buildMainArea();
    void buildCreateDialog();
    void buildPasswordDialog();
    void buildDeleteConfirmation();
    void buildLibraryRegion();
    // The find and load steps of WFButton3Click, run while the library connection is open.
    void findSharedExam(int number);
    void loadSharedExam(int number);

    // The number the last find succeeded with: the load copies that exam, whatever a
    // forged post puts into the read-only number field.
    int foundNumber_ = 0;
};

}  // namespace exam
