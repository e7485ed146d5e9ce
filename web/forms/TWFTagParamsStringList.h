#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace web::forms {

// How an attribute value is written between its double quotes.
enum class TWFAttributeKind {
    // A value the program composed (names, numbers, styles, addresses, script code): the
    // double quote and an ampersand that would start a character reference are replaced.
    Value,
    // Text the user types or reads (a field's value, a tooltip): every markup character
    // as an entity.
    Text,
    // Already written for the attribute by its producer; written as it is.
    Raw,
};

// Writes ` name="value"` with the value escaped after its kind; nothing for an empty value.
// For markup of a fixed shape written straight as text, as a tag would write the attribute.
void appendAttributeOfKind(std::string& out, std::string_view name, std::string_view value,
                           TWFAttributeKind kind);

// The attributes of a tag, in the order they were first set: name=value pairs with
// lower-cased names, and bare words (attributes without a value, kept as given).
class TWFTagParamsStringList {
public:
    struct Entry {
        std::string name;
        std::optional<std::string> value;  // nullopt for a bare word
        TWFAttributeKind kind = TWFAttributeKind::Value;
    };

    // Sets `name` to `value`; an empty value does nothing. A name set before keeps its place.
    void setValue(std::string_view name, std::string_view value,
                  TWFAttributeKind kind = TWFAttributeKind::Value);
    // Adds a bare word unless it is there already.
    void addBare(std::string_view word);
    void remove(std::string_view name);

    bool contains(std::string_view name) const;
    // The value of `name`; nullopt when it is not set or is a bare word.
    std::optional<std::string> value(std::string_view name) const;

    const std::vector<Entry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }

    // Each entry as " name=\"value\"" or " word"; values escaped after their kind.
    void write(std::string& out) const;

private:
    std::vector<Entry>::iterator find(std::string_view name);
    std::vector<Entry>::const_iterator find(std::string_view name) const;

    std::vector<Entry> entries_;
};

}  // namespace web::forms
