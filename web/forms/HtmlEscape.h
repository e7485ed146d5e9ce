#pragma once

// The escapers live with the server layer, which needs them for session messages; the page
// side uses the same functions.
#include "web/server/HtmlEscape.h"

namespace web::forms {

using web::HtmlEscape;
using web::ScriptStringEscape;

}  // namespace web::forms
