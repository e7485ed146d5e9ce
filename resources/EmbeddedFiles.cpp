#include "resources/EmbeddedFiles.h"

namespace resources {

const EmbeddedFile* findEmbeddedFile(std::string_view path) {
    for (const EmbeddedFile& file : embeddedFiles()) {
        if (file.path == path) return &file;
    }
    return nullptr;
}

}  // namespace resources
