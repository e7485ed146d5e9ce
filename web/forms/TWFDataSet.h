#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace web::forms {

// How a grid shows a field's value: as its display text, as the whole content of a long
// text (which a grid may cut), or not at all (a picture).
enum class TWFFieldKind { fkText, fkMemo, fkGraphic };

// A field of a data set as a grid lists it.
struct TWFFieldInfo {
    std::string FieldName;
    std::string DisplayName;
    TWFFieldKind Kind = TWFFieldKind::fkText;
    bool Visible = true;
};

// What a database grid reads: an open result that is walked record by record, whose
// current record's fields are read as text by name. The grid borrows the data set and puts
// it back on the record where it found it.
class TWFDataSet {
public:
    virtual ~TWFDataSet() = default;

    // Whether a result is open; the grid shows no rows for a closed data set.
    virtual bool Active() const = 0;
    // Whether the current record is being edited or appended.
    virtual bool Editing() const = 0;

    virtual int RecordCount() const = 0;
    virtual void First() = 0;
    virtual void Next() = 0;
    // Moves by `distance` records (negative: backwards); returns how far it moved.
    virtual int MoveBy(int distance) = 0;
    // True after the walk has passed the last record, and at once for an empty result.
    virtual bool Eof() const = 0;
    // 1-based number of the current record; 0 for an empty result.
    virtual int RecNo() const = 0;
    // The current record's position, none for an empty or closed result.
    virtual std::optional<std::size_t> GetBookmark() const = 0;
    virtual void GotoBookmark(std::size_t bookmark) = 0;

    // The fields in result order.
    virtual std::vector<TWFFieldInfo> FieldInfos() const = 0;
    // The field of this name; an unknown name raises the data layer's error.
    virtual TWFFieldInfo FieldInfo(std::string_view name) const = 0;
    // The current record's value of the field as display text (null reads as ""); an
    // unknown name raises the data layer's error.
    virtual std::string FieldText(std::string_view name) const = 0;
};

}  // namespace web::forms
