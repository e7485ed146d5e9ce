#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Small text helpers shared by the runtime. Letter case is folded for ASCII letters only:
// the runtime's keywords, header names and ids are ASCII, while user text is UTF-8.
namespace web::text {

std::string toUpper(std::string_view text);
std::string toLower(std::string_view text);
// The same in place, for a string the caller already owns: no copy.
void makeUpper(std::string& text);
void makeLower(std::string& text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool endsWithNoCase(std::string_view text, std::string_view suffix);
// Position of `needle` in `haystack` with ASCII case ignored, or npos.
std::size_t findNoCase(std::string_view haystack, std::string_view needle, std::size_t from = 0);
std::string trim(std::string_view text);
// Whether `text` holds nothing but blanks (what trim leaves empty).
bool isAllBlank(std::string_view text);
// Replaces every occurrence of `from` (case ignored when `ignoreCase`) by `to`.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to,
                       bool ignoreCase = false);
std::vector<std::string> split(std::string_view text, char separator);
// Cuts `text` at the first `separator`: returns the part before it and leaves the rest
// (after the separator) in `text`; without a separator the whole text is returned.
std::string cutWord(std::string& text, char separator);
// `value` in base 36 ("0".."9", "a".."z"), left-padded with "0" to `width` characters.
std::string base36(std::uint64_t value, std::size_t width);
// Decimal digits only, optional leading sign; no blanks. Out of range gives nullopt too.
bool parseInt64(std::string_view text, std::int64_t& out);
int toIntDef(std::string_view text, int fallback);

}  // namespace web::text
