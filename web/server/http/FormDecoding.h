#pragma once

#include <string>
#include <string_view>

#include "web/server/FieldList.h"

namespace web {

// "+" becomes a blank (when asked) and every "%" with two hexadecimal digits that byte;
// anything else, a lone "%" included, stays as it is.
std::string PercentDecode(std::string_view text, bool plusAsBlank);

// Splits "a=1&b=2" at "&" and decodes each piece into `fields`; empty pieces are skipped.
void DecodeFormFields(std::string_view text, FieldList& fields);

}  // namespace web
