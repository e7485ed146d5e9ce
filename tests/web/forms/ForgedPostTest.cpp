// Posts a browser cannot send: fields of disabled controls, actions of controls the user
// cannot see or use. The page must treat them as if they had not been sent.

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/RuntimeFixture.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFComboBox.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFImageFile.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFListbox.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/forms/controls/TWFTimer.h"
#include "web/server/Errors.h"
#include "web/server/TWFApplication.h"

namespace web::forms {
namespace {

template <typename Control>
Control& place(TWFContainer& parent, const char* name) {
    return parent.Add(std::make_unique<Control>(name));
}

// One of every input control, each holding a value a post would change, and one of
// every clickable control, each counting its clicks; some of them sit in nested regions.
class ForgedPage : public TWFAppForm {
public:
    ForgedPage() : TWFAppForm("WFForm9", "TWFForm9", 1000, 679) {
        edit.Text = "kept";
        memo.Lines.Add("kept");
        radio.Items = {"a", "b", "c"};
        radio.ItemIndex = 0;
        combo.SetItems({"a", "b", "c"});
        combo.SetItemIndex(0);
        list.SetItems({"a", "b", "c"});
        list.SetItemIndex(0);
        submit.OnClick = count("WFBUTTON1");
        link.OnClick = count("WFLINK1");
        innerLink.OnClick = count("WFLINK2");
        image.SetOnClick(count("WFIMAGEFILE1"));
        timer.OnTimer = count("WFTIMER1");
    }

    TNotifyEvent count(std::string name) {
        return [this, name](TWFControl&) { fired.push_back(name); };
    }

    TWFEdit& edit = place<TWFEdit>(*this, "WFEdit1");
    TWFMemo& memo = place<TWFMemo>(*this, "WFMemo1");
    TWFCheckBox& box = place<TWFCheckBox>(*this, "WFCheckBox1");
    TWFRadioGroup& radio = place<TWFRadioGroup>(*this, "WFRadioGroup1");
    TWFComboBox& combo = place<TWFComboBox>(*this, "WFComboBox1");
    TWFListbox& list = place<TWFListbox>(*this, "WFListbox1");
    TWFButton& submit = place<TWFButton>(*this, "WFButton1");
    TWFImageFile& image = place<TWFImageFile>(*this, "WFImageFile1");
    TWFTimer& timer = place<TWFTimer>(*this, "WFTimer1");
    TWFRegion& outer = place<TWFRegion>(*this, "WFRegion1");
    TWFLink& link = place<TWFLink>(outer, "WFLink1");
    TWFRegion& inner = place<TWFRegion>(outer, "WFRegion2");
    TWFLink& innerLink = place<TWFLink>(inner, "WFLink2");
    std::vector<std::string> fired;
};

class ForgedPostTest : public ::testing::Test {
protected:
    ForgedPostTest() : session_(start()) {}

    static web::TWFSessionStart start() {
        web::TWFSessionStart s;
        s.browserKind = web::TWFBrowser::brSafari;
        return s;
    }

    // Posts `action` after a render of the page as it stands.
    void post(const std::string& action, web::FieldList fields = {}) {
        page_.RenderDocument(session_);
        fields.add("WF_Action", action);
        fields.add("WF_ActionParam", "");
        page_.ProcessSubmit(fields);
    }

    testing_support::RuntimeFixture runtime_;
    web::TWFApplication session_;
    ForgedPage page_;
};

struct InputCase {
    const char* field;
    const char* posted;
    std::function<void(ForgedPage&, bool)> setEnabled;
    std::function<std::string(const ForgedPage&)> value;
    const char* kept;
    const char* changed;
};

const InputCase kInputs[] = {
    {"WFEDIT1", "forged", [](ForgedPage& p, bool on) { p.edit.Enabled = on; },
     [](const ForgedPage& p) { return p.edit.Text; }, "kept", "forged"},
    {"WFMEMO1", "forged", [](ForgedPage& p, bool on) { p.memo.Enabled = on; },
     [](const ForgedPage& p) { return p.memo.Lines.Text(); }, "kept\r\n", "forged\r\n"},
    {"WFCHECKBOX1_CHECKBOX", "on", [](ForgedPage& p, bool on) { p.box.Enabled = on; },
     [](const ForgedPage& p) { return std::string(p.box.Checked ? "on" : "off"); }, "off", "on"},
    {"WFRADIOGROUP1_INPUT", "2", [](ForgedPage& p, bool on) { p.radio.Enabled = on; },
     [](const ForgedPage& p) { return std::to_string(p.radio.ItemIndex); }, "0", "2"},
    {"WFCOMBOBOX1", "2", [](ForgedPage& p, bool on) { p.combo.Enabled = on; },
     [](const ForgedPage& p) { return std::to_string(p.combo.ItemIndex()); }, "0", "2"},
    {"WFLISTBOX1", "2", [](ForgedPage& p, bool on) { p.list.Enabled = on; },
     [](const ForgedPage& p) { return std::to_string(p.list.ItemIndex()); }, "0", "2"},
};

TEST_F(ForgedPostTest, DisabledInputControlsKeepTheirOwnValues) {
    for (const InputCase& input : kInputs) {
        SCOPED_TRACE(input.field);
        input.setEnabled(page_, false);
        web::FieldList fields;
        fields.add(input.field, input.posted);
        post("WFBUTTON1", fields);
        EXPECT_EQ(input.value(page_), input.kept);

        // The same post reaches the control once it is enabled again.
        input.setEnabled(page_, true);
        post("WFBUTTON1", fields);
        EXPECT_EQ(input.value(page_), input.changed);
    }
    EXPECT_EQ(page_.fired.size(), 2 * std::size(kInputs));
}

struct ActionCase {
    const char* action;
    std::function<void(ForgedPage&)> putOutOfReach;
};

const ActionCase kActions[] = {
    {"WFBUTTON1", [](ForgedPage& p) { p.submit.Visible = false; }},
    {"WFBUTTON1", [](ForgedPage& p) { p.submit.Enabled = false; }},
    {"WFIMAGEFILE1", [](ForgedPage& p) { p.image.Enabled = false; }},
    {"WFTIMER1", [](ForgedPage& p) { p.timer.Enabled = false; }},
    {"WFLINK1", [](ForgedPage& p) { p.link.Visible = false; }},
    {"WFLINK1", [](ForgedPage& p) { p.link.Enabled = false; }},
    {"WFLINK1", [](ForgedPage& p) { p.outer.Visible = false; }},
    {"WFLINK2", [](ForgedPage& p) { p.inner.Visible = false; }},
    {"WFLINK2", [](ForgedPage& p) { p.outer.Visible = false; }},
};

TEST_F(ForgedPostTest, ControlsOutOfReachCannotBeFired) {
    for (const ActionCase& forged : kActions) {
        SCOPED_TRACE(forged.action);
        ForgedPage page;
        page.RenderDocument(session_);
        web::FieldList fields;
        fields.add("WF_Action", forged.action);
        fields.add("WF_ActionParam", "");
        page.ProcessSubmit(fields);
        EXPECT_EQ(page.fired, std::vector<std::string>{forged.action});

        // Hidden or disabled since the last render, or already at that render.
        forged.putOutOfReach(page);
        for (int render = 0; render < 2; ++render) {
            try {
                page.ProcessSubmit(fields);
                ADD_FAILURE() << "fired";
            } catch (const web::EWFException& error) {
                EXPECT_STREQ(error.what(), "Cannot find submit component.");
            }
            page.RenderDocument(session_);
        }
        EXPECT_EQ(page.fired.size(), 1u);
    }
}

}  // namespace
}  // namespace web::forms
