#pragma once

#include <string>
#include <string_view>

#include "web/server/TWFServerControllerBase.h"

namespace web::forms {

// The address of a file reference: its URL as it is, or, for a file name, the files URL
// followed by the file's path below the files folder (backslashes as slashes). A stored
// path outside the files folder (such as a design-time path) resolves to its bare file
// name. An empty reference gives an empty text.
std::string fileReferenceURL(const web::TWFFileReference& reference, std::string_view filesURL,
                             std::string_view filesFolder);

}  // namespace web::forms
