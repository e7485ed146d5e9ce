#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/forms/TColor.h"
#include "web/forms/TWFPageContext40.h"

namespace web::forms {

class TWFControl;
class TWFHTMLTag;

// The inputs a control renders from, written one after the other: two renders from equal
// keys write the same markup, rules and scripts. Texts carry their length, so two
// different sequences of inputs never write the same key.
class TWFRenderKey {
public:
    // What a key is of: the table holds both, and a key never stands for the other kind.
    enum class Kind : long long { Control = 1, GridRow = 2 };

    // Starts a new key of `kind`.
    void begin(Kind kind) {
        text_.clear();
        numbers({static_cast<long long>(kind)});
    }
    TWFRenderKey& text(std::string_view value) {
        numbers({static_cast<long long>(value.size())});
        text_ += value;
        return *this;
    }
    // Numbers, flags, colours and enumerations, in one go. Their bytes are written as they
    // are: a key is only compared with keys of the same process, and a fixed width needs no
    // separator.
    TWFRenderKey& numbers(std::initializer_list<long long> values) {
        text_.append(reinterpret_cast<const char*>(values.begin()), values.size() * sizeof(long long));
        return *this;
    }
    const std::string& written() const { return text_; }

private:
    std::string text_;
};

// How far each collection of a page context has grown; what a control added while it
// rendered lies between two marks.
struct TWFContextMarks {
    explicit TWFContextMarks(const TWFPageContext40& context);

    std::array<std::size_t, TWFPageContext40::kTextCount> texts{};
    std::size_t validations = 0;
    std::size_t rendered = 0;
    std::size_t scriptFiles = 0;
};

// What a control added to the page when it rendered from a key: its markup, style rule,
// scripts and SubmitForm field. A control rendering from the same key again, in any
// session, is written from here, which costs a few copies instead of building its tags,
// style and scripts again. Never changed once made, so sessions share it freely.
class TWFRenderMemo {
public:
    // What `control` added to `context` since `before`, with `tag` (or none) as its
    // markup and `submitField` as its field; nothing when the render added what cannot be
    // written again as it was (script files, or controls other than itself).
    static std::shared_ptr<const TWFRenderMemo> record(const TWFRenderKey& key, const TWFContextMarks& before,
                                                       const TWFPageContext40& context,
                                                       const TWFControl& control, const TWFHTMLTag* tag,
                                                       std::optional<std::string> submitField);

    // A memo of markup alone (a grid row), which adds nothing else to the page.
    static std::shared_ptr<const TWFRenderMemo> ofMarkup(const TWFRenderKey& key, std::string markup);

    bool matches(std::string_view key) const { return key_ == key; }
    const std::string& key() const { return key_; }
    // Adds to `context` what the control added when it was recorded.
    void replay(TWFPageContext40& context, TWFControl& control) const;
    // Whether a render of `control` from `before` added to `context` exactly what was
    // recorded, with `tag` as the markup and `submitField` as the field.
    bool sameAs(const TWFContextMarks& before, const TWFPageContext40& context, const TWFControl& control,
                const TWFHTMLTag* tag, const std::optional<std::string>& submitField) const;

    // The control's markup, or nullptr when it rendered no tag.
    const std::string* markup() const { return hasTag_ ? &markup_ : nullptr; }
    // Roughly what the memo takes in memory.
    std::size_t bytes() const;

private:
    std::string key_;
    std::string markup_;
    bool hasTag_ = false;
    // The texts added to the context's collections, end to end, and where each ends.
    std::string added_;
    std::array<std::size_t, TWFPageContext40::kTextCount> ends_{};
    std::vector<std::pair<std::string, std::string>> validations_;
    // The names the control was listed under among the rendered controls.
    std::vector<std::string> renderedNames_;
    std::optional<std::string> submitField_;
};

// The memos of the whole process by key, shared by every session: the controls of an exam
// page look the same for every candidate on the same question. Kept within a memory budget;
// a part of the table that outgrows its share is emptied and fills again from the renders.
class TWFRenderMemoTable {
public:
    static std::shared_ptr<const TWFRenderMemo> find(std::string_view key);
    // Whether `kept` (the memo a control or row was last written from) is, or now is, the
    // memo of `key`: the one kept is checked first, without taking a lock.
    static bool lookUp(std::shared_ptr<const TWFRenderMemo>& kept, std::string_view key);
    static void keep(const std::shared_ptr<const TWFRenderMemo>& memo);
    // Empties the table (tests).
    static void clear();
};

// Whether every render from a memo is checked against a render from scratch, and a
// difference stops the process: the tests run so (EXAMSERVER_CHECK_RENDER_MEMO=1), so a
// key that misses an input of its control shows up as a failed test, not a stale page.
bool CheckRenderMemos();
void SetCheckRenderMemos(bool check);
// Stops the process: what (a control, a grid row) was written from a memo that a render
// from scratch does not write.
[[noreturn]] void StaleRenderMemo(const std::string& what);

}  // namespace web::forms
