#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "web/forms/TColor.h"
#include "web/forms/TWFControl.h"

namespace web::forms {

// The lines of a memo. The memo writes each line followed by CR LF; whether the last line
// break is written depends on how the lines came: a whole list assigned here keeps it, a
// posted text keeps it only when the text ended with a line break, and editing single
// lines keeps whatever the lines had before.
class TWFMemoLines {
public:
    TWFMemoLines() = default;
    TWFMemoLines& operator=(std::vector<std::string> lines);

    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Delete(std::size_t index);
    void Clear() { lines_.clear(); }
    std::size_t Count() const { return lines_.size(); }
    std::string& operator[](std::size_t index) { return lines_.at(index); }
    const std::string& operator[](std::size_t index) const { return lines_.at(index); }
    const std::vector<std::string>& Strings() const { return lines_; }

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits a posted text at CR LF, LF or CR; remembers whether it ended with a break.
    void SetPostedText(std::string_view text);
    bool EndsWithLineBreak() const { return endsWithLineBreak_; }

private:
    std::vector<std::string> lines_;
    bool endsWithLineBreak_ = true;
};

// A multi-line text input; the posted text becomes Lines before any event fires.
class TWFMemo : public TWFControl {
public:
    explicit TWFMemo(std::string name);

    TWFMemoLines Lines;
    bool Editable = true;
    bool Required = false;
    TColor BGColor = clNone;
    bool HorizScrollBar = false;
    bool VertScrollBar = true;
    bool InvisibleBorder = false;
    bool Enabled = true;

    bool isInputControl() const override { return true; }
    bool isEditable() const override { return Editable; }
    bool isEnabled() const override { return Enabled; }
    std::unique_ptr<TWFHTMLTag> renderTag(TWFPageContext40& context) override;
    bool appendRenderKey(TWFRenderKey& key, const TWFPageContext40& context) const override;
    std::string styleAddition(const TWFPageContext40& context) const override;
    void addScripts(TWFPageContext40& context) override;
    // A disabled memo cannot be changed in the browser, so a posted text is ignored.
    void SetValue(const std::string& value) override;

    // The text between the textarea tags, before escaping.
    std::string ShownText() const;
};

}  // namespace web::forms
