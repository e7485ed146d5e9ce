#include "app/db/SqlLines.h"

namespace exam::db {

void SqlLines::Clear() {
    text_.clear();
    count_ = 0;
    onChange_();
}

void SqlLines::Add(std::string_view line) {
    if (count_ > 0) text_ += '\n';
    text_ += line;
    ++count_;
    onChange_();
}

void SqlLines::SetText(std::string_view text) {
    text_ = text;
    count_ = text.empty() ? 0 : 1;
    for (const char c : text) count_ += c == '\n' ? 1 : 0;
    onChange_();
}

}  // namespace exam::db
