#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/exam/QuestionBank.h"
#include "app/pages/settings/QuestionImportPanel.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFDBGrid.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/forms/controls/TWFText.h"

namespace exam {

// One exam's settings page: its name, tag and five switches, each written as soon as it is
// changed; its questions listed newest first, added one at a time in a panel and deleted
// after a confirmation.
class TWFForm4 : public web::forms::TWFAppForm {
public:
    TWFForm4();

    web::forms::TWFRegion* WFRegion1;
    web::forms::TWFLabel* WFLabel2;
    web::forms::TWFLabel* WFLabel1;
    web::forms::TWFLink* WFLink6;
    web::forms::TWFLink* WFLink2;
    web::forms::TWFLabel* WFLabel21;
    web::forms::TWFEdit* WFEdit1;
    web::forms::TWFLink* WFLink1;
    web::forms::TWFLabel* WFLabel20;
    web::forms::TWFEdit* WFEdit4;
    web::forms::TWFLink* WFLink9;
    web::forms::TWFRadioGroup* s1;
    web::forms::TWFRadioGroup* s2;
    web::forms::TWFRadioGroup* s3;
    web::forms::TWFRadioGroup* s4;
    web::forms::TWFRadioGroup* s5;
    web::forms::TWFLink* WFLink4;
    web::forms::TWFLink* WFLink3;
    web::forms::TWFLink* WFLink10;
    web::forms::TWFDBGrid* WFDBGrid1;

    // Delete confirmation.
    web::forms::TWFRegion* WFRegion8;
    web::forms::TWFLabel* WFLabel16;
    web::forms::TWFLabel* WFLabel18;
    web::forms::TWFLabel* WFLabel17;
    web::forms::TWFLink* WFLink7;
    web::forms::TWFLink* WFLink8;

    // Add-question panel.
    web::forms::TWFRegion* WFRegion2;
    web::forms::TWFLabel* WFLabel3;
    web::forms::TWFLink* WFLink5;
    web::forms::TWFRegion* WFRegion5;
    web::forms::TWFLabel* WFLabel4;
    web::forms::TWFMemo* WFMemo1;
    web::forms::TWFLabel* WFLabel5;
    web::forms::TWFText* WFText1;
    web::forms::TWFMemo* WFMemo2;
    web::forms::TWFRadioGroup* WFRadioGroup4;
    web::forms::TWFLabel* WFLabel6;
    web::forms::TWFEdit* WFEdit2;
    web::forms::TWFLabel* WFLabel7;
    web::forms::TWFRadioGroup* WFRadioGroup5;
    web::forms::TWFRegion* WFRegion3;
    web::forms::TWFCheckBox* xA;
    web::forms::TWFCheckBox* xB;
    web::forms::TWFCheckBox* xC;
    web::forms::TWFCheckBox* xD;
    web::forms::TWFCheckBox* xE;
    web::forms::TWFCheckBox* xF;
    web::forms::TWFButton* WFButton1;
    web::forms::TWFLabel* WFLabel8;

    // Import panel of the shared-exam service; nothing shows it.
    web::forms::TWFRegion* WFRegion9;
    web::forms::TWFLink* WFLink11;

    void WFAppFormCreate();
    void WFLink1Click(web::forms::TWFControl& sender);
    void WFLink9Click(web::forms::TWFControl& sender);
    void s1Click(web::forms::TWFControl& sender);
    void s2Click(web::forms::TWFControl& sender);
    void s3Click(web::forms::TWFControl& sender);
    void s4Click(web::forms::TWFControl& sender);
    void s5Click(web::forms::TWFControl& sender);
    void WFLink4Click(web::forms::TWFControl& sender);
    void WFLink3Click(web::forms::TWFControl& sender);
    void WFRadioGroup4Click(web::forms::TWFControl& sender);
    void WFButton1Click(web::forms::TWFControl& sender);
    void WFLink5Click(web::forms::TWFControl& sender);
    void WFDBGrid1Columns1Click(web::forms::TWFDBGridColumn& sender, const std::string& value);
    void WFLink7Click(web::forms::TWFControl& sender);
    void WFLink8Click(web::forms::TWFControl& sender);
    void WFLink6Click(web::forms::TWFControl& sender);
    void WFLink2Click(web::forms::TWFControl& sender);
    void WFLink10Click(web::forms::TWFControl& sender);
    void WFLink11Click(web::forms::TWFControl& sender);
    // "【批量导入】": opens the import panel.
    void WFLink12Click(web::forms::TWFControl& sender);

    web::forms::TWFLink* WFLink12;

    // The time limit beside the switches.
    web::forms::TWFLabel* WFLabel26;
    web::forms::TWFEdit* WFEdit5;
    web::forms::TWFLink* WFLink13;
    void WFLink13Click(web::forms::TWFControl& sender);
    // "保存修改" of the question panel opened by a row's "编辑".
    web::forms::TWFButton* WFButton5;
    void WFDBGrid1Columns6Click(web::forms::TWFDBGridColumn& sender, const std::string& value);
    void WFButton5Click(web::forms::TWFControl& sender);
    // The question the panel edits; none while it adds.
    const std::optional<std::int64_t>& editedQuestion() const { return editedQuestion_; }
    std::unique_ptr<QuestionImportPanel> importPanel;

private:
    void buildHead();
    void buildSwitches();
    void buildQuestionList();
    void buildDeleteConfirmation();
    void buildAddPanel();
    void buildImportPanel();
    void writeSwitch(const char* column, const web::forms::TWFRadioGroup& group);
    std::string correctAnswer() const;
    QuestionDraft draft() const;
    void showPanelMode(bool editing);
    void showAnswerControls(bool letters);
    void fillPanel(const std::string& type, const std::string& text, const std::string& options,
                   const std::string& answer, const std::string& points);

    std::optional<std::int64_t> editedQuestion_;
};

}  // namespace exam
