// The index a post's fields are looked up in must find what the search by name finds:
// the same controls, in the same order, for a name in any letter case, with the input
// names of check boxes and radio groups, and nothing inside a hidden region.

#include <gtest/gtest.h>

#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

template <typename Control>
Control& place(TWFContainer& parent, const char* name) {
    return parent.Add(std::make_unique<Control>(name));
}

class NamedPage : public TWFAppForm {
public:
    NamedPage() : TWFAppForm("WFForm9", "TWFForm9", 1000, 679) {}

    TWFEdit& edit = place<TWFEdit>(*this, "WFEdit1");
    TWFCheckBox& box = place<TWFCheckBox>(*this, "WFCheckBox1");
    TWFRadioGroup& radio = place<TWFRadioGroup>(*this, "WFRadioGroup1");
    TWFRegion& outer = place<TWFRegion>(*this, "WFRegion1");
    TWFEdit& innerEdit = place<TWFEdit>(outer, "WFEdit2");
    TWFCheckBox& innerBox = place<TWFCheckBox>(outer, "WFCheckBox2");
    TWFRegion& hidden = place<TWFRegion>(outer, "WFRegion2");
    TWFButton& hiddenButton = place<TWFButton>(hidden, "WFButton1");
};

std::vector<TWFControl*> indexed(const TWFContainer& page, const std::string& name) {
    TWFContainer::HtmlNameIndex index;
    page.IndexByHtmlName(index);
    return index.find(web::text::toUpper(name));
}

std::vector<TWFControl*> searched(const TWFContainer& page, const std::string& name) {
    std::vector<TWFControl*> found;
    page.FindByHtmlName(name, found);
    return found;
}

TEST(HtmlNameIndexTest, FindsWhatTheSearchByNameFinds) {
    NamedPage page;
    page.hidden.Visible = false;
    std::vector<std::string> names;
    for (TWFControl* control :
         {static_cast<TWFControl*>(&page.edit), static_cast<TWFControl*>(&page.box),
          static_cast<TWFControl*>(&page.radio), static_cast<TWFControl*>(&page.innerEdit),
          static_cast<TWFControl*>(&page.innerBox), static_cast<TWFControl*>(&page.hiddenButton)}) {
        names.push_back(control->HtmlName());
        names.push_back(web::text::toLower(control->InputName()));
    }
    names.push_back("NOSUCHCONTROL");
    for (const std::string& name : names) EXPECT_EQ(indexed(page, name), searched(page, name)) << name;

    // The names the browser posts reach the controls that own them; the hidden region's
    // button is not found at all.
    const struct {
        std::string name;
        std::vector<TWFControl*> expected;
    } cases[] = {
        {page.box.InputName(), {&page.box}},
        {page.radio.InputName(), {&page.radio}},
        {web::text::toLower(page.innerEdit.HtmlName()), {&page.innerEdit}},
        {page.hiddenButton.HtmlName(), {}},
    };
    for (const auto& c : cases) EXPECT_EQ(indexed(page, c.name), c.expected) << c.name;
}

// An index kept from one post to the next follows every change that moves a name: a
// renamed control, a region hidden or shown, a control added.
TEST(HtmlNameIndexTest, AKeptIndexFollowsTheControls) {
    NamedPage page;
    TWFContainer::HtmlNameIndex kept;
    const auto keptFinds = [&](const std::string& name) {
        page.IndexByHtmlName(kept);
        return kept.find(web::text::toUpper(name));
    };
    EXPECT_EQ(keptFinds("WFEDIT2"), (std::vector<TWFControl*>{&page.innerEdit}));
    EXPECT_EQ(keptFinds("WFBUTTON1"), (std::vector<TWFControl*>{&page.hiddenButton}));

    page.innerEdit.Name = "WFEdit7";
    EXPECT_EQ(keptFinds("WFEDIT2"), std::vector<TWFControl*>{});
    EXPECT_EQ(keptFinds("wfedit7"), (std::vector<TWFControl*>{&page.innerEdit}));

    page.hidden.Visible = false;
    EXPECT_EQ(keptFinds("WFBUTTON1"), std::vector<TWFControl*>{});
    page.hidden.Visible = true;
    EXPECT_EQ(keptFinds("WFBUTTON1"), (std::vector<TWFControl*>{&page.hiddenButton}));

    TWFEdit& added = place<TWFEdit>(page.hidden, "WFEdit1");
    EXPECT_EQ(keptFinds("WFEDIT1"), (std::vector<TWFControl*>{&page.edit, &added}));
    EXPECT_EQ(keptFinds("WFEDIT1"), searched(page, "WFEDIT1"));
}

// Visibility is asked at each lookup, through every region on the way: hiding the outer
// region hides what its inner regions hold, while a hidden region and a hidden control are
// still found by their own names, as the search by name finds them.
TEST(HtmlNameIndexTest, AHiddenOuterRegionHidesEverythingBelowIt) {
    NamedPage page;
    TWFContainer::HtmlNameIndex kept;
    const auto agrees = [&](const std::string& name) {
        page.IndexByHtmlName(kept);
        return kept.find(web::text::toUpper(name)) == searched(page, name);
    };
    page.outer.Visible = false;
    page.edit.Visible = false;
    for (const char* name : {"WFBUTTON1", "WFEDIT2", "WFREGION1", "WFREGION2", "WFEDIT1"})
        EXPECT_TRUE(agrees(name)) << name;
    EXPECT_EQ(kept.find("WFBUTTON1"), std::vector<TWFControl*>{});
    EXPECT_EQ(kept.find("WFREGION1"), (std::vector<TWFControl*>{&page.outer}));
    EXPECT_EQ(kept.find("WFEDIT1"), (std::vector<TWFControl*>{&page.edit}));

    page.outer.Visible = true;
    page.hidden.Visible = false;
    EXPECT_TRUE(agrees("WFREGION2"));
    EXPECT_EQ(kept.find("WFEDIT2"), (std::vector<TWFControl*>{&page.innerEdit}));
    EXPECT_EQ(kept.find("WFBUTTON1"), std::vector<TWFControl*>{});
}

}  // namespace
}  // namespace web::forms
