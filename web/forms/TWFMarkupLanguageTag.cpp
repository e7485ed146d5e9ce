#include "web/forms/TWFMarkupLanguageTag.h"

#include <charconv>
#include <exception>
#include <iterator>

#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {

TWFMarkupLanguageTag::TWFMarkupLanguageTag(std::string_view tagName, TWFClosingTag closing, bool preformatted)
    : tagName_(web::text::toLower(tagName)), closing_(closing), preformatted_(preformatted) {}

void appendAttribute(std::string& out, std::string_view name, std::string_view value) {
    if (value.empty()) return;
    out += ' ';
    out += name;
    out += "=\"";
    web::AppendAttributeValue(out, value);
    out += '"';
}

void TWFMarkupLanguageTag::setIntAttribute(std::string_view name, long long value) {
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    setAttribute(name, std::string_view(digits, static_cast<std::size_t>(written.ptr - digits)));
}

void TWFMarkupLanguageTag::setBoolAttribute(std::string_view name, bool value) {
    setAttribute(name, value ? "true" : "false");
}

void TWFMarkupLanguageTag::setColorAttribute(std::string_view name, TColor color) {
    setAttribute(name, htmlColor(color));
}

TWFMarkupLanguageTag& TWFMarkupLanguageTag::addTag(std::string_view tagName) {
    return addElement(createChild(tagName));
}

TWFTextElement& TWFMarkupLanguageTag::addText(std::string text, bool convertLineBreaks, bool convertSpaces) {
    TWFTextKind kind = convertLineBreaks
                           ? (convertSpaces ? TWFTextKind::TextWithBoth : TWFTextKind::TextWithBreaks)
                           : (convertSpaces ? TWFTextKind::TextWithSpaces : TWFTextKind::Text);
    return addElement(std::make_unique<TWFTextElement>(std::move(text), kind));
}

TWFTextElement& TWFMarkupLanguageTag::addValueText(std::string text) {
    return addElement(std::make_unique<TWFTextElement>(std::move(text), TWFTextKind::Value));
}

TWFTextElement& TWFMarkupLanguageTag::addMarkup(std::string markup) {
    return addElement(std::make_unique<TWFTextElement>(std::move(markup), TWFTextKind::Markup));
}

TWFBinaryElement& TWFMarkupLanguageTag::addBinary(std::string bytes) {
    return addElement(std::make_unique<TWFBinaryElement>(std::move(bytes)));
}

std::unique_ptr<TWFMarkupLanguageTag> TWFMarkupLanguageTag::createChild(std::string_view tagName) const {
    return std::make_unique<TWFMarkupLanguageTag>(tagName);
}

void TWFMarkupLanguageTag::render(std::string& out) const {
    try {
        renderTag(out, true);
    } catch (const EWFTagException&) {
        throw;  // already names the innermost tag
    } catch (const std::exception&) {
        std::throw_with_nested(EWFTagException("Tag: " + tagName_));
    }
}

void TWFMarkupLanguageTag::render(std::ostream& out) const {
    std::string text = render();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string TWFMarkupLanguageTag::render() const {
    std::string out;
    render(out);
    return out;
}

void TWFMarkupLanguageTag::renderOpen(std::string& out) const {
    try {
        renderTag(out, false);
    } catch (const EWFTagException&) {
        throw;
    } catch (const std::exception&) {
        std::throw_with_nested(EWFTagException("Tag: " + tagName_));
    }
}

void TWFMarkupLanguageTag::renderTag(std::string& out, bool close) const {
    bool named = !tagName_.empty();
    if (named) {
        out += '<';
        out += tagName_;
        params_.write(out);
        out += closing_ == TWFClosingTag::ctSelfClose && contents_.empty() ? "/>" : ">";
    }
    bool wroteChildTag = false;
    for (const auto& element : contents_) {
        if (element->isTag() && !preformatted_) {
            out += "\r\n  ";
            wroteChildTag = true;
        }
        element->render(out);
    }
    if (!named || closing_ == TWFClosingTag::ctNone) return;
    if (closing_ == TWFClosingTag::ctSelfClose && contents_.empty()) return;
    if (wroteChildTag) out += "\r\n";
    if (!close) return;
    out += "</";
    out += tagName_;
    out += '>';
}

}  // namespace web::forms
