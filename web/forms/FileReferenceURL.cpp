#include "web/forms/FileReferenceURL.h"

#include "web/server/Text.h"

namespace web::forms {

std::string fileReferenceURL(const web::TWFFileReference& reference, std::string_view filesURL,
                             std::string_view filesFolder) {
    if (!reference.url().empty()) return reference.url();
    if (reference.filename().empty()) return {};
    std::string path = web::text::replaceAll(reference.filename(), "\\", "/");
    std::string folder = web::text::replaceAll(filesFolder, "\\", "/");
    std::size_t at = folder.empty() ? std::string::npos : web::text::findNoCase(path, folder);
    std::string relative =
        at != std::string::npos ? path.substr(at + folder.size()) : path.substr(path.rfind('/') + 1);
    if (relative.starts_with('/')) relative.erase(0, 1);
    return std::string(filesURL) + relative;
}

}  // namespace web::forms
