#include "web/server/FieldList.h"

#include "web/server/Text.h"

namespace web {

void FieldList::add(std::string name, std::string value) {
    fields_.push_back(Field{std::move(name), std::move(value)});
}

void FieldList::addLine(std::string_view line) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        add(std::string(line), "");
    } else {
        add(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
    }
}

std::string FieldList::value(std::string_view name) const {
    int index = indexOf(name);
    return index < 0 ? std::string() : fields_[static_cast<std::size_t>(index)].value;
}

bool FieldList::contains(std::string_view name) const { return indexOf(name) >= 0; }

int FieldList::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (text::equalsNoCase(fields_[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

void FieldList::erase(std::size_t index) {
    if (index < fields_.size()) fields_.erase(fields_.begin() + static_cast<std::ptrdiff_t>(index));
}

void FieldList::set(std::string_view name, std::string value) {
    int index = indexOf(name);
    if (index < 0) {
        add(std::string(name), std::move(value));
    } else {
        fields_[static_cast<std::size_t>(index)].value = std::move(value);
    }
}

std::string FieldList::line(std::size_t index) const {
    return fields_[index].name + "=" + fields_[index].value;
}

}  // namespace web
