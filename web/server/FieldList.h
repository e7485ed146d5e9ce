#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace web {

struct Field {
    std::string name;
    std::string value;
};

// An ordered list of name=value lines: the request's query, content and cookie fields,
// and the parameter list a page receives. Names are looked up with letter case ignored.
class FieldList {
public:
    void add(std::string name, std::string value);
    // Adds a whole "name=value" line; a line without "=" becomes a name with an empty value.
    void addLine(std::string_view line);

    // The value of the first field called `name`, or the empty text.
    std::string value(std::string_view name) const;
    bool contains(std::string_view name) const;
    // Position of the first field called `name`, or -1.
    int indexOf(std::string_view name) const;
    void erase(std::size_t index);
    // Replaces the value of the first field called `name`, or appends the field.
    void set(std::string_view name, std::string value);

    void reserve(std::size_t count) { fields_.reserve(count); }
    std::size_t size() const { return fields_.size(); }
    bool empty() const { return fields_.empty(); }
    const Field& operator[](std::size_t index) const { return fields_[index]; }
    Field& operator[](std::size_t index) { return fields_[index]; }
    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }
    // The line as it would be written: name "=" value.
    std::string line(std::size_t index) const;

private:
    std::vector<Field> fields_;
};

}  // namespace web
