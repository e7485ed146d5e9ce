#pragma once

#include <string>
#include <utility>

namespace web::forms {

// One piece of a tag's content.
class TWFElement {
public:
    virtual ~TWFElement() = default;
    // Appends the element's markup.
    virtual void render(std::string& out) const = 0;
    // Tags start on a new line inside tags that are not preformatted; other content does not.
    virtual bool isTag() const { return false; }
};

// How a text element is written.
enum class TWFTextKind {
    Text,            // shown as given: markup characters as entities
    TextWithBreaks,  // the same, line breaks as "<br>"
    TextWithSpaces,  // the same, blanks as "&nbsp;"
    TextWithBoth,    // line breaks and blanks converted
    Value,           // a field's content (textarea): every ampersand as an entity too
    Markup,          // markup the program or the administrator wrote: as it is
};

// A piece of text content, escaped after its kind when it is written.
class TWFTextElement final : public TWFElement {
public:
    explicit TWFTextElement(std::string text, TWFTextKind kind = TWFTextKind::Text)
        : text_(std::move(text)), kind_(kind) {}
    const std::string& text() const { return text_; }
    TWFTextKind kind() const { return kind_; }
    void render(std::string& out) const override;

private:
    std::string text_;
    TWFTextKind kind_;
};

// An already rendered block of markup (such as a container's body), written byte for byte.
class TWFBinaryElement final : public TWFElement {
public:
    explicit TWFBinaryElement(std::string bytes) : bytes_(std::move(bytes)) {}
    const std::string& bytes() const { return bytes_; }
    void render(std::string& out) const override { out += bytes_; }

private:
    std::string bytes_;
};

}  // namespace web::forms
