#include "web/forms/TWFTagParamsStringList.h"

#include <algorithm>

#include "web/server/HtmlEscape.h"
#include "web/server/Text.h"

namespace web::forms {
namespace {

constexpr std::size_t kUsualCount = 8;

}  // namespace

std::vector<TWFTagParamsStringList::Entry>::iterator TWFTagParamsStringList::find(std::string_view name) {
    return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.name.size() == name.size() && web::text::equalsNoCase(entry.name, name);
    });
}

std::vector<TWFTagParamsStringList::Entry>::const_iterator TWFTagParamsStringList::find(
    std::string_view name) const {
    return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.name.size() == name.size() && web::text::equalsNoCase(entry.name, name);
    });
}

void TWFTagParamsStringList::setValue(std::string_view name, std::string_view value, TWFAttributeKind kind) {
    if (value.empty()) return;
    auto found = find(name);
    if (found == entries_.end()) {
        // Most tags carry a handful of attributes: one allocation instead of four growths.
        if (entries_.empty()) entries_.reserve(kUsualCount);
        found = entries_.emplace(entries_.end());
    }
    // Filled in place: no temporary texts for the name or the value.
    found->name.assign(name);
    web::text::makeLower(found->name);
    found->value.emplace(value);
    found->kind = kind;
}

void TWFTagParamsStringList::addBare(std::string_view word) {
    if (word.empty() || contains(word)) return;
    entries_.push_back({std::string(word), std::nullopt});
}

void TWFTagParamsStringList::remove(std::string_view name) {
    auto found = find(name);
    if (found != entries_.end()) entries_.erase(found);
}

bool TWFTagParamsStringList::contains(std::string_view name) const {
    return find(name) != entries_.end();
}

std::optional<std::string> TWFTagParamsStringList::value(std::string_view name) const {
    auto found = find(name);
    return found == entries_.end() ? std::nullopt : found->value;
}

void appendAttributeOfKind(std::string& out, std::string_view name, std::string_view value,
                           TWFAttributeKind kind) {
    if (value.empty()) return;
    out += ' ';
    out += name;
    out += "=\"";
    switch (kind) {
        case TWFAttributeKind::Value:
            web::AppendAttributeValue(out, value);
            break;
        case TWFAttributeKind::Text:
            web::AppendHtmlValue(out, value);
            break;
        case TWFAttributeKind::Raw:
            out += value;
            break;
    }
    out += '"';
}

void TWFTagParamsStringList::write(std::string& out) const {
    for (const Entry& entry : entries_) {
        if (entry.value) {
            appendAttributeOfKind(out, entry.name, *entry.value, entry.kind);
        } else {
            out += ' ';
            out += entry.name;
        }
    }
}

}  // namespace web::forms
