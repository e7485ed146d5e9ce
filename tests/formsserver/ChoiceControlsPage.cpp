// The choice controls' page of the browser tests: a check box, a radio group, a combo box
// and a multiple-choice list box. Two labels show what the server holds after each post
// and which events fired in it.
#include <memory>
#include <string>
#include <vector>

#include "tests/formsserver/TestPages.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFComboBox.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFListbox.h"
#include "web/forms/controls/TWFRadioGroup.h"

namespace {

using namespace web::forms;

class ChoiceControlsPage : public TWFAppForm {
public:
    ChoiceControlsPage() : TWFAppForm("ChoicePage", "TChoicePage", 1000, 600) {
        Title = "Choice controls";
        checkBox_ = &place<TWFCheckBox>("WFCheckBox1", 20, 20, 0);
        checkBox_->Width = 200;
        checkBox_->Caption = "仅显示<b>错误</b>习题";
        checkBox_->OnChange = note("box changed");
        checkBox_->OnClick = note("box clicked");
        radioGroup_ = &place<TWFRadioGroup>("WFRadioGroup1", 20, 60, 1);
        radioGroup_->Items = {"启用", "关闭", "<i>默认</i>"};
        radioGroup_->OnClick = note("radio clicked");
        comboBox_ = &place<TWFComboBox>("WFComboBox1", 20, 190, 2);
        comboBox_->SetItems({"数学", "语文 <&>"});
        comboBox_->OnChange = note("combo changed");
        listBox_ = &place<TWFListbox>("WFListbox1", 200, 60, 3);
        listBox_->SetItems({"a", "b", "c", "d"});
        listBox_->SetMultiSelect(true);
        auto& button = place<TWFButton>("WFButton1", 200, 200, 4);
        button.Caption = "Post";
        button.OnClick = note("button clicked");
        state_ = &place<TWFLabel>("WFLabel1", 20, 260, 5);
        events_ = &place<TWFLabel>("WFLabel2", 20, 290, 6);
        showState();
    }

    void ProcessSubmit(const web::FieldList& params) override {
        fired_.clear();
        TWFAppForm::ProcessSubmit(params);
        showState();
    }

private:
    template <typename Control>
    Control& place(const std::string& name, int left, int top, int tabOrder) {
        auto& control = Add(std::make_unique<Control>(name));
        control.Left = left;
        control.Top = top;
        control.TabOrder = tabOrder;
        return control;
    }

    TNotifyEvent note(const std::string& event) {
        return [this, event](TWFControl&) { fired_.push_back(event); };
    }

    void showState() {
        std::string selected;
        for (int i = 0; i < listBox_->ItemCount(); ++i) {
            if (listBox_->Selected(i)) selected += (selected.empty() ? "" : " ") + std::to_string(i);
        }
        state_->Caption = "checked=" + std::string(checkBox_->Checked ? "yes" : "no") +
                          " radio=" + std::to_string(radioGroup_->ItemIndex) +
                          " combo=" + std::to_string(comboBox_->ItemIndex()) + " list=" + selected;
        std::string fired;
        for (const std::string& event : fired_) fired += (fired.empty() ? "" : ", ") + event;
        events_->Caption = fired.empty() ? "none" : fired;
    }

    TWFCheckBox* checkBox_;
    TWFRadioGroup* radioGroup_;
    TWFComboBox* comboBox_;
    TWFListbox* listBox_;
    TWFLabel* state_;
    TWFLabel* events_;
    std::vector<std::string> fired_;
};

const bool registered =
    forms_testserver::RegisterTestPage("choice", [] { return std::make_unique<ChoiceControlsPage>(); });

}  // namespace
