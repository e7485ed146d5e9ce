#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "web/forms/TColor.h"
#include "web/forms/TWFElement.h"
#include "web/forms/TWFTagParamsStringList.h"
#include "web/server/Errors.h"

namespace web::forms {

// Writes ` name="value"` as a tag writes an attribute the program composed (see
// setAttribute): nothing for an empty value, the double quote and an ampersand that would
// start a character reference replaced. For markup of a fixed shape written straight as text.
void appendAttribute(std::string& out, std::string_view name, std::string_view value);

// How a tag ends: with "</name>", not at all (void elements), or with "/>".
enum class TWFClosingTag { ctClose, ctNone, ctSelfClose };

// Raised when writing a tag fails; the message names the innermost tag that failed, and
// the original error is kept as the nested exception.
class EWFTagException : public web::EWFException {
public:
    using web::EWFException::EWFException;
};

// A markup tag with attributes and ordered content, written as text.
//
// Format: "<name" + attributes + ">", then the content; in a tag that is not preformatted
// every child tag is preceded by CR LF and two blanks, and then CR LF also precedes the
// closing tag. Attribute values and text are escaped by the tag as they are written; only
// the calls named for it (setRawAttribute, addMarkup, addBinary, bare words) write as
// given. A tag with an empty name writes only its content.
class TWFMarkupLanguageTag : public TWFElement {
public:
    explicit TWFMarkupLanguageTag(std::string_view tagName, TWFClosingTag closing = TWFClosingTag::ctClose,
                                  bool preformatted = false);

    const std::string& tagName() const { return tagName_; }
    TWFClosingTag closingTag() const { return closing_; }
    void setClosingTag(TWFClosingTag closing) { closing_ = closing; }
    bool preformatted() const { return preformatted_; }
    void setPreformatted(bool preformatted) { preformatted_ = preformatted; }

    // --- attributes (names are stored lower-cased) -------------------------------------
    TWFTagParamsStringList& params() { return params_; }
    const TWFTagParamsStringList& params() const { return params_; }
    // A value the program composed: a name, number, colour, style, address or script
    // code. Written with the double quote and any ampersand that would start a character
    // reference replaced. An empty value sets nothing; setting a name again keeps its place.
    void setAttribute(std::string_view name, std::string_view value) { params_.setValue(name, value); }
    // Text the user types or reads (an input's value, an alternative text, a tooltip):
    // every markup character, the ampersand included, written as an entity.
    void setTextAttribute(std::string_view name, std::string_view text) {
        params_.setValue(name, text, TWFAttributeKind::Text);
    }
    // A value its producer has already written for a double-quoted attribute.
    void setRawAttribute(std::string_view name, std::string_view value) {
        params_.setValue(name, value, TWFAttributeKind::Raw);
    }
    void setIntAttribute(std::string_view name, long long value);
    void setBoolAttribute(std::string_view name, bool value);
    // clNone sets nothing.
    void setColorAttribute(std::string_view name, TColor color);
    // A bare word written as it is; only for words the program spells itself.
    void addBareAttribute(std::string_view word) { params_.addBare(word); }
    void removeAttribute(std::string_view name) { params_.remove(name); }
    bool hasAttribute(std::string_view name) const { return params_.contains(name); }
    // The value as it was set, before escaping.
    std::optional<std::string> attribute(std::string_view name) const { return params_.value(name); }

    // --- content -----------------------------------------------------------------------
    // Adds a new child tag of the same flavour and returns it for filling.
    TWFMarkupLanguageTag& addTag(std::string_view tagName);
    // Text shown as given: quotes, apostrophes, "<", ">" and any ampersand that would start
    // a character reference written as entities; line breaks as "<br>" and blanks as
    // "&nbsp;" when asked.
    TWFTextElement& addText(std::string text, bool convertLineBreaks = false, bool convertSpaces = false);
    // The content of a form field (a textarea): every markup character, the ampersand
    // included, as an entity, line breaks kept, so the field posts back what it shows.
    TWFTextElement& addValueText(std::string text);
    // Markup written as it is: the program's own fixed markup, markup the administrator
    // enters on purpose, or a part already rendered through a tag.
    TWFTextElement& addMarkup(std::string markup);
    TWFBinaryElement& addBinary(std::string bytes);
    template <class Element>
    Element& addElement(std::unique_ptr<Element> element) {
        Element& added = *element;
        contents_.push_back(std::move(element));
        return added;
    }
    const std::vector<std::unique_ptr<TWFElement>>& contents() const { return contents_; }
    void clearContents() { contents_.clear(); }

    // --- output --------------------------------------------------------------------------
    void render(std::string& out) const override;
    void render(std::ostream& out) const;
    std::string render() const;
    // Everything but the closing tag, for an element whose further content the caller
    // writes itself (the page body).
    void renderOpen(std::string& out) const;
    bool isTag() const override { return true; }

protected:
    virtual std::unique_ptr<TWFMarkupLanguageTag> createChild(std::string_view tagName) const;

private:
    void renderTag(std::string& out, bool close) const;

    std::string tagName_;
    TWFClosingTag closing_;
    bool preformatted_;
    TWFTagParamsStringList params_;
    std::vector<std::unique_ptr<TWFElement>> contents_;
};

}  // namespace web::forms
