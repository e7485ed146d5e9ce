#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/forms/TWFDataSet.h"

namespace web::forms::testing {

// A data set over rows of texts held in memory, for grid tests and test pages.
class MemoryDataSet final : public TWFDataSet {
public:
    MemoryDataSet(std::vector<TWFFieldInfo> fields, std::vector<std::vector<std::string>> rows)
        : fields_(std::move(fields)), rows_(std::move(rows)) {}

    // Test switches: a closed data set, and one whose current record is being edited.
    bool open = true;
    bool editing = false;

    bool Active() const override { return open; }
    bool Editing() const override { return editing; }
    int RecordCount() const override { return static_cast<int>(rows_.size()); }
    void First() override { at_ = 0; }
    void Next() override {
        if (at_ < rows_.size()) ++at_;
    }
    int MoveBy(int distance) override {
        long target = static_cast<long>(at_) + distance;
        if (target < 0) target = 0;
        if (target > static_cast<long>(rows_.size())) target = static_cast<long>(rows_.size());
        int moved = static_cast<int>(target - static_cast<long>(at_));
        at_ = static_cast<std::size_t>(target);
        return moved;
    }
    bool Eof() const override { return !open || at_ >= rows_.size(); }
    int RecNo() const override { return rows_.empty() ? 0 : static_cast<int>(std::min(at_, rows_.size() - 1)) + 1; }
    std::optional<std::size_t> GetBookmark() const override {
        if (!open || rows_.empty()) return std::nullopt;
        return std::min(at_, rows_.size() - 1);
    }
    void GotoBookmark(std::size_t bookmark) override { at_ = bookmark; }
    std::vector<TWFFieldInfo> FieldInfos() const override { return fields_; }
    TWFFieldInfo FieldInfo(std::string_view name) const override { return fields_[indexOf(name)]; }
    std::string FieldText(std::string_view name) const override {
        std::size_t column = indexOf(name);
        return at_ < rows_.size() ? rows_[at_][column] : "";
    }

    // The 0-based position of the current record (the row count after the last).
    std::size_t position() const { return at_; }

private:
    std::size_t indexOf(std::string_view name) const {
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (fields_[i].FieldName == name) return i;
        }
        throw std::runtime_error("Field '" + std::string(name) + "' not found");
    }

    std::vector<TWFFieldInfo> fields_;
    std::vector<std::vector<std::string>> rows_;
    std::size_t at_ = 0;
};

}  // namespace web::forms::testing
