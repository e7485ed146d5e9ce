#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "web/server/FieldList.h"

namespace web::forms {

// The page text (UTF-8 inside the program) in the code page its head declares. Pages
// labelled gb2312 or GBK are written as GB18030, which browsers decode for those labels
// and which holds every character, so nothing is lost on the way out. An empty or UTF-8
// charset, or one the system cannot convert to, leaves the text as it is.
std::string EncodeForCharset(const std::string& utf8, std::string_view charset);
// The same for a text given in parts, each ending on a character boundary: encoded into
// one text without joining the parts first.
std::string EncodeForCharset(std::initializer_list<std::string_view> utf8Parts, std::string_view charset);

// The GB18030 text of EncodeForCharset written through the system's conversion alone,
// without the table of the basic plane it normally uses: the reference the table is
// checked against.
std::string EncodeGB18030ByConverter(const std::string& utf8);

// The text with every malformed UTF-8 sequence replaced by U+FFFD.
std::string ToValidUTF8(std::string_view text);

// Posted names and values made valid UTF-8 (the page posts UTF-8).
web::FieldList DecodePostedFields(web::FieldList fields);

}  // namespace web::forms
