#pragma once

#include <string>
#include <string_view>

// The answer-review page shows markup that any browser on the network may post. Only the
// markup that the submission-complete page writes into its review form passes: list items,
// links to and anchors of questions, the detail blocks by their class names, text and line
// breaks. Everything else arrives on the page as visible text.
namespace exam::vendor {

// `markup` (UTF-8) with every tag outside the allow-list escaped, allowed tags written
// anew in one canonical form, every element closed inside the fragment, and line breaks of
// the text as "<br>". The result can be placed inside any element of a page.
std::string SanitizeReviewMarkup(std::string_view markup);

// A field posted by a page that declares gb2312: its bytes as UTF-8 (read as GB18030, a
// superset browsers use for that label); a malformed byte becomes U+FFFD.
std::string PostedGbkText(std::string_view bytes);

}  // namespace exam::vendor
