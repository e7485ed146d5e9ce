// Runs the form, percent and multipart decoders over arbitrary posted bodies. Uploaded
// parts are written to a private folder and must be gone again once the request is.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "web/server/FieldList.h"
#include "web/server/TInHTTPAppRequest.h"
#include "web/server/http/FormDecoding.h"
#include "web/server/http/Multipart.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

const std::string& uploadFolder() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "form-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern + "/";
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // Decoding never makes a text longer.
    require(web::PercentDecode(text, true).size() <= text.size());
    require(web::PercentDecode(text, false).size() <= text.size());
    web::FieldList fields;
    web::DecodeFormFields(text, fields);

    // The first line is the content type, the rest the body.
    std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos) return 0;
    {
        web::TInHTTPAppRequest request;
        request.method = "POST";
        request.headers.addRawLine("Content-Type: " + std::string(text.substr(0, newline)));
        request.body = std::string(text.substr(newline + 1));
        web::DecodeMultipart(request, uploadFolder());
        for (const auto& file : request.files) require(std::filesystem::exists(file->dataPath));
    }
    require(std::filesystem::is_empty(uploadFolder()));
    return 0;
}
