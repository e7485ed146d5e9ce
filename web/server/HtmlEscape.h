#pragma once

#include <string>
#include <string_view>

// The escapers of the runtime, one per context a text can land in. Pages write through the
// tag builder, which picks the escaper by the call used; the dispatcher's replies and the
// error pages call them directly.
namespace web {

// --- markup ----------------------------------------------------------------------------

// Element content that shows exactly the given text: quotes, apostrophes, "<" and ">" as
// entities, and an ampersand as "&amp;" wherever the browser would otherwise read a
// character reference (before a letter, a digit or "#"). A lone "&" followed by anything
// else is written as it is, which the browser shows as typed. With `convertLineBreaks` LF
// becomes "<br>" and CR is dropped; with `convertSpaces` every blank becomes "&nbsp;".
void AppendHtmlText(std::string& out, std::string_view text, bool convertLineBreaks, bool convertSpaces);
std::string HtmlText(std::string_view text, bool convertLineBreaks = false, bool convertSpaces = false);

// A text typed or shown in a form field (an input's value, a textarea's content) or in
// another attribute the user reads: every ampersand, quote, apostrophe, "<" and ">" as an
// entity; line breaks stay.
void AppendHtmlValue(std::string& out, std::string_view text);
std::string HtmlValue(std::string_view text);

// A value the program composed (names, numbers, colours, styles, addresses, script code)
// for a double-quoted attribute: only what could end the value or be read as a character
// reference is replaced, the double quote and an ampersand before a letter, digit or "#".
void AppendAttributeValue(std::string& out, std::string_view value);
std::string AttributeValue(std::string_view value);

// Text for markup that is itself passed on inside a script string (the error page): every
// character that matters to either (ampersand, quotes, angle brackets, backslash, U+2028,
// U+2029) as a numeric character reference.
std::string HtmlTextForScript(std::string_view text);

// --- script ----------------------------------------------------------------------------

// Text for a client-script string literal in either kind of quotes, in a script element or
// in an event-handler attribute (the tag builder adds the attribute's own escaping):
// backslashes doubled, CR dropped, LF as "\n", U+2028 and U+2029 as "\u2028" and "\u2029",
// and quotes, apostrophes, "<" and ">" behind a backslash (a "/" or "!" right after "<"
// too, so no "</script" or "<!--" survives). A text that begins with two backslashes
// counts as already escaped and is returned as it is, provided it cannot end the literal
// or the script block (no raw quote, apostrophe, "<", ">", line break, line or paragraph
// separator or trailing lone backslash); any other text is escaped.
std::string ScriptStringEscape(std::string_view text);

// The same escaping without the already-escaped rule: for text from outside (a post) and
// for a literal that holds script code with a literal of its own (text escaped once must
// be escaped again, whatever it begins with).
std::string ScriptCodeEscape(std::string_view text);

}  // namespace web
