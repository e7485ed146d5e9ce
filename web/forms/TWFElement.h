#pragma once

#include <string>

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

// Text written as it is: the producer has escaped it where needed.
class TWFTextElement final : public TWFElement {
public:
    explicit TWFTextElement(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }
    void render(std::string& out) const override { out += text_; }

private:
    std::string text_;
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
