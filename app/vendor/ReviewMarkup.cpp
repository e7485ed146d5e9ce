#include "app/vendor/ReviewMarkup.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <vector>

namespace exam::vendor {
namespace {

constexpr std::array<std::string_view, 2> kListClasses{"tilok", "tilerr"};
constexpr std::array<std::string_view, 9> kDetailClasses{"nr", "bh",  "tx",   "fz",   "fh",
                                                         "tg", "hxx", "zdok", "zderr"};
constexpr std::array<std::string_view, 6> kNamedReferences{"amp", "lt", "gt", "quot", "apos", "nbsp"};
// Question ids and the "top" anchor; longer names are not written by the review form.
constexpr std::size_t kMaxAnchorLength = 64;
// Deeper nesting than the review form writes is shown as text.
constexpr std::size_t kMaxDepth = 16;

struct Attribute {
    std::string name;
    std::string value;
};

struct Tag {
    bool closing = false;
    bool selfClosing = false;
    std::string name;
    std::vector<Attribute> attributes;
    std::size_t length = 0;  // of the tag's text, from "<" to ">"
};

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool isNameChar(char c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '_';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <std::size_t N>
bool oneOf(const std::array<std::string_view, N>& list, std::string_view value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// A run of name characters at `at`, lower-cased; advances `at` past it.
std::string readName(std::string_view text, std::size_t& at) {
    std::string name;
    while (at < text.size() && isNameChar(text[at])) name += lower(text[at++]);
    return name;
}

std::optional<std::string> readValue(std::string_view text, std::size_t& at) {
    if (at >= text.size()) return std::nullopt;
    char quote = text[at];
    if (quote == '"' || quote == '\'') {
        std::size_t end = text.find(quote, at + 1);
        if (end == std::string_view::npos) return std::nullopt;
        std::string value(text.substr(at + 1, end - at - 1));
        at = end + 1;
        return value;
    }
    std::size_t start = at;
    while (at < text.size() && !isBlank(text[at]) &&
           std::string_view("\"'=<>`").find(text[at]) == std::string_view::npos) {
        ++at;
    }
    if (at == start) return std::nullopt;
    return std::string(text.substr(start, at - start));
}

// The tag at the start of `text` (which begins with "<"), or nullopt when what follows the
// "<" is not a complete, plainly written tag: then the "<" is text.
std::optional<Tag> readTag(std::string_view text) {
    Tag tag;
    std::size_t at = 1;
    if (at < text.size() && text[at] == '/') {
        tag.closing = true;
        ++at;
    }
    if (at >= text.size() || !isAlpha(text[at])) return std::nullopt;
    tag.name = readName(text, at);
    while (true) {
        std::size_t before = at;
        while (at < text.size() && isBlank(text[at])) ++at;
        if (at >= text.size()) return std::nullopt;
        if (text[at] == '>') {
            tag.length = at + 1;
            return tag;
        }
        if (text.substr(at, 2) == "/>") {
            tag.selfClosing = true;
            tag.length = at + 2;
            return tag;
        }
        // Attributes are separated by blanks ("<a href=x/name=y>" is not written by anyone honest).
        if (at == before || !isAlpha(text[at])) return std::nullopt;
        Attribute attribute{readName(text, at), ""};
        while (at < text.size() && isBlank(text[at])) ++at;
        if (at < text.size() && text[at] == '=') {
            ++at;
            while (at < text.size() && isBlank(text[at])) ++at;
            std::optional<std::string> value = readValue(text, at);
            if (!value) return std::nullopt;
            attribute.value = std::move(*value);
        }
        tag.attributes.push_back(std::move(attribute));
    }
}

bool isAnchorName(std::string_view value) {
    return !value.empty() && value.size() <= kMaxAnchorLength &&
           std::all_of(value.begin(), value.end(), isNameChar);
}

bool isAttributeAllowed(const std::string& element, const Attribute& attribute) {
    if (element == "li") return attribute.name == "class" && oneOf(kListClasses, attribute.value);
    if (element == "div") return attribute.name == "class" && oneOf(kDetailClasses, attribute.value);
    if (element != "a") return false;
    if (attribute.name == "href") {
        std::string_view target = attribute.value;
        return !target.empty() && target.front() == '#' &&
               (target.size() == 1 || isAnchorName(target.substr(1)));
    }
    return (attribute.name == "name" || attribute.name == "id") && isAnchorName(attribute.value);
}

bool isTagAllowed(const Tag& tag) {
    if (tag.name == "br") return !tag.closing && tag.attributes.empty();
    if (tag.name != "li" && tag.name != "a" && tag.name != "div") return false;
    if (tag.closing) return tag.attributes.empty() && !tag.selfClosing;
    if (tag.selfClosing) return false;
    for (std::size_t i = 0; i < tag.attributes.size(); ++i) {
        const Attribute& attribute = tag.attributes[i];
        if (!isAttributeAllowed(tag.name, attribute)) return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (tag.attributes[j].name == attribute.name) return false;
        }
    }
    return true;
}

// A character reference browsers turn into text, never into markup: a few named ones and
// numeric ones of bounded length. Returns its length, or 0.
std::size_t referenceLength(std::string_view text) {
    if (text.size() < 3 || text[0] != '&') return 0;
    std::size_t at = 1;
    if (text[at] == '#') {
        ++at;
        bool hex = at < text.size() && (text[at] == 'x' || text[at] == 'X');
        if (hex) ++at;
        std::size_t start = at;
        while (at < text.size() && at - start < 8 && (hex ? isHexDigit(text[at]) : isDigit(text[at]))) ++at;
        bool closed = at > start && at < text.size() && text[at] == ';';
        return closed ? at + 1 : 0;
    }
    std::size_t start = at;
    while (at < text.size() && at - start < 8 && isAlpha(text[at])) ++at;
    bool closed =
        at < text.size() && text[at] == ';' && oneOf(kNamedReferences, text.substr(start, at - start));
    return closed ? at + 1 : 0;
}

// A run of text between tags: line breaks at either end are dropped (they only separate
// the review form's lines), inner ones become "<br>", and nothing can start markup.
void writeText(std::string_view run, std::string& out) {
    auto edgeIsBreak = [](std::string_view blanks) {
        return blanks.find_first_of("\r\n") != std::string_view::npos;
    };
    std::size_t first = 0;
    while (first < run.size() && isBlank(run[first])) ++first;
    std::size_t last = run.size();
    while (last > first && isBlank(run[last - 1])) --last;
    std::string_view leading = run.substr(0, first);
    std::string_view trailing = run.substr(last);
    // Between two tags such a run stays one blank; at the edges of a text it goes.
    bool blankOnly = first == run.size();
    if (edgeIsBreak(leading)) {
        run.remove_prefix(first);
        last -= first;
        if (blankOnly) out += ' ';
    }
    if (edgeIsBreak(trailing)) run = run.substr(0, last);
    for (std::size_t at = 0; at < run.size();) {
        char c = run[at];
        if (c == '\r' || c == '\n') {
            out += "<br>";
            at += c == '\r' && at + 1 < run.size() && run[at + 1] == '\n' ? 2 : 1;
            continue;
        }
        if (c == '&') {
            std::size_t length = referenceLength(run.substr(at));
            out += length > 0 ? std::string(run.substr(at, length)) : std::string("&amp;");
            at += length > 0 ? length : 1;
            continue;
        }
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            case '\0':
                break;
            default:
                out += c;
        }
        ++at;
    }
}

std::string canonical(const Tag& tag) {
    if (tag.closing) return "</" + tag.name + ">";
    std::string written = "<" + tag.name;
    for (const Attribute& attribute : tag.attributes)
        written += " " + attribute.name + "=\"" + attribute.value + "\"";
    return written + ">";
}

class Sanitizer {
public:
    std::string run(std::string_view markup) {
        std::size_t at = 0;
        while (at < markup.size()) {
            std::size_t next = markup.find('<', at);
            if (next == std::string_view::npos) next = markup.size();
            writeText(markup.substr(at, next - at), out_);
            at = next;
            if (at < markup.size()) at += writeTagAt(markup.substr(at));
        }
        while (!open_.empty()) closeTop();
        return std::move(out_);
    }

private:
    // Writes the tag at the start of `text` or, when it is not allowed here, its text;
    // returns how much of `text` was used.
    std::size_t writeTagAt(std::string_view text) {
        std::optional<Tag> tag = readTag(text);
        if (!tag) {
            out_ += "&lt;";
            return 1;
        }
        bool written = isTagAllowed(*tag) && (tag->closing ? close(tag->name) : open(*tag));
        if (!written) writeText(text.substr(0, tag->length), out_);
        return tag->length;
    }

    bool open(const Tag& tag) {
        if (tag.name == "br") {
            out_ += "<br>";
            return true;
        }
        bool nestedLink = tag.name == "a" && std::find(open_.begin(), open_.end(), "a") != open_.end();
        if (nestedLink || open_.size() >= kMaxDepth) return false;
        out_ += canonical(tag);
        open_.push_back(tag.name);
        return true;
    }

    // Closes the innermost open element of that name and every element inside it.
    bool close(const std::string& name) {
        auto found = std::find(open_.rbegin(), open_.rend(), name);
        if (found == open_.rend()) return false;
        std::size_t keep = static_cast<std::size_t>(open_.rend() - found) - 1;
        while (open_.size() > keep) closeTop();
        return true;
    }

    void closeTop() {
        out_ += "</" + open_.back() + ">";
        open_.pop_back();
    }

    std::string out_;
    std::vector<std::string> open_;
};

class GbkDecoder {
public:
    GbkDecoder() : handle_(iconv_open("UTF-8", "GB18030")) {}
    ~GbkDecoder() {
        if (valid()) iconv_close(handle_);
    }
    GbkDecoder(const GbkDecoder&) = delete;
    GbkDecoder& operator=(const GbkDecoder&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    std::string decode(std::string_view input) {
        std::string output(input.size() * 2 + 16, '\0');
        std::size_t used = 0;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        while (!input.empty()) {
            char* in = const_cast<char*>(input.data());
            std::size_t inLeft = input.size();
            char* out = output.data() + used;
            std::size_t outLeft = output.size() - used;
            std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            used = output.size() - outLeft;
            input.remove_prefix(input.size() - inLeft);
            if (result != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            // A malformed or cut-off sequence: one replacement character for its first byte.
            if (output.size() - used < 3) output.resize(output.size() * 2 + 3);
            output.replace(used, 3, "\xEF\xBF\xBD");
            used += 3;
            input.remove_prefix(1);
        }
        output.resize(used);
        return output;
    }

private:
    iconv_t handle_;
};

}  // namespace

std::string SanitizeReviewMarkup(std::string_view markup) {
    return Sanitizer().run(markup);
}

std::string PostedGbkText(std::string_view bytes) {
    thread_local GbkDecoder decoder;
    if (!decoder.valid()) return std::string(bytes);
    return decoder.decode(bytes);
}

}  // namespace exam::vendor
