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
// closing tag. Text and binary content is written as it is. A tag with an empty name
// writes only its content.
class TWFMarkupLanguageTag : public TWFElement {
public:
    explicit TWFMarkupLanguageTag(std::string_view tagName, TWFClosingTag closing = TWFClosingTag::ctClose,
                                  bool preformatted = false);

    const std::string& tagName() const { return tagName_; }
    TWFClosingTag closingTag() const { return closing_; }
    void setClosingTag(TWFClosingTag closing) { closing_ = closing; }
    bool preformatted() const { return preformatted_; }
    void setPreformatted(bool preformatted) { preformatted_ = preformatted; }

    // --- attributes (names are stored lower-cased; values are written unescaped) -------
    TWFTagParamsStringList& params() { return params_; }
    const TWFTagParamsStringList& params() const { return params_; }
    // An empty value sets nothing; setting a name again keeps its place.
    void setAttribute(std::string_view name, std::string_view value) { params_.setValue(name, value); }
    void setIntAttribute(std::string_view name, long long value);
    void setBoolAttribute(std::string_view name, bool value);
    // clNone sets nothing.
    void setColorAttribute(std::string_view name, TColor color);
    void addBareAttribute(std::string_view word) { params_.addBare(word); }
    void removeAttribute(std::string_view name) { params_.remove(name); }
    bool hasAttribute(std::string_view name) const { return params_.contains(name); }
    std::optional<std::string> attribute(std::string_view name) const { return params_.value(name); }

    // --- content -----------------------------------------------------------------------
    // Adds a new child tag of the same flavour and returns it for filling.
    TWFMarkupLanguageTag& addTag(std::string_view tagName);
    TWFTextElement& addText(std::string text);
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
    bool isTag() const override { return true; }

protected:
    virtual std::unique_ptr<TWFMarkupLanguageTag> createChild(std::string_view tagName) const;

private:
    void renderTag(std::string& out) const;

    std::string tagName_;
    TWFClosingTag closing_;
    bool preformatted_;
    TWFTagParamsStringList params_;
    std::vector<std::unique_ptr<TWFElement>> contents_;
};

}  // namespace web::forms
