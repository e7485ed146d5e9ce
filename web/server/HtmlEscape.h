#pragma once

#include <string>
#include <string_view>

namespace web {

// Text for an HTML page: quotes, apostrophes, "<" and ">" become entities. With
// `convertLineBreaks` LF becomes "<br>" and CR is dropped; with `convertSpaces` every blank
// becomes "&nbsp;". The ampersand is kept, so texts may carry their own entities.
std::string HtmlEscape(std::string_view text, bool convertLineBreaks, bool convertSpaces);

// Text for a client-script string literal in either kind of quotes: backslashes doubled,
// CR dropped, LF as "\n", and quotes, apostrophes, "<" and ">" behind a backslash (a "/" or
// "!" right after "<" too, so no "</script" or "<!--" survives). A text that begins
// with two backslashes counts as already escaped and is returned as it is, provided it
// cannot end the literal or the script block (no raw quote, apostrophe, "<", ">", line
// break or trailing lone backslash); any other text is escaped.
std::string ScriptStringEscape(std::string_view text);

// The same escaping without the already-escaped rule: for a literal that holds script
// code with a literal of its own (text escaped once must be escaped again, whatever it
// begins with).
std::string ScriptCodeEscape(std::string_view text);

}  // namespace web
