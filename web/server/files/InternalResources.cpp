#include "web/server/files/InternalResources.h"

#include <array>
#include <optional>

#include "resources/EmbeddedFiles.h"
#include "web/server/Errors.h"
#include "web/server/Text.h"

namespace web {
namespace {

struct Entry {
    const char* name;
    const char* path;  // relative to the resources folder
};

// Resources the pages of this product reach; the runtime's other controls (menus, tab
// controls, data navigators) are not part of it.
constexpr std::array<Entry, 12> kEntries{{
    {"WF_FAVICON", "gfx/favicon.ico"},
    {"WF_GFX_ERROR", "templates/Error.html"},
    {"WF_JS_WFCOMMON", "js/WFCommon.js"},
    {"WF_JS_WFEXPLORER", "js/WFExplorer.js"},
    {"WF_JS_WFOPERA", "js/WFOpera.js"},
    {"WF_JS_WFGECKO", "js/WFGecko.js"},
    {"WF_JS_WFCL", "js/WFCL.js"},
    {"WF_JS_WFCSDATA", "js/WFCSData.js"},
    {"WF_JS_WFPRESCRIPT", "js/WFPreScript.js"},
    {"WF_GFX_TP", "gfx/Tp.gif"},
    {"WF_GFX_LOGOBRANTEL", "gfx/BrantelLogo.gif"},
    {"WF_GFX_LOGOTESSEL", "gfx/TesselLogo.gif"},
}};

struct TypeEntry {
    const char* extension;
    const char* type;
};

constexpr std::array<TypeEntry, 15> kContentTypes{{
    {".JPG", "image/jpeg"},
    {".JPEG", "image/jpeg"},
    {".GIF", "image/gif"},
    {".ICO", "image/x-ico"},
    {".HTML", "text/html"},
    {".HTM", "text/html"},
    {".JS", "application/x-javascript"},
    {".PDF", "application/pdf"},
    {".ZIP", "application/zip"},
    {".EXE", "application/octet-stream"},
    {".CSS", "text/css"},
    {".PNG", "image/png"},
    {".SVG", "image/svg+xml"},
    {".TXT", "text/plain"},
    {".XML", "text/xml"},
}};

}  // namespace

std::optional<std::string_view> InternalResources::PathOf(std::string_view name) {
    std::string upper = text::toUpper(name);
    for (const Entry& entry : kEntries) {
        if (upper == entry.name) return std::string_view(entry.path);
    }
    return std::nullopt;
}

std::optional<std::string_view> InternalResources::Find(std::string_view name) {
    std::optional<std::string_view> path = PathOf(name);
    if (!path) return std::nullopt;
    const resources::EmbeddedFile* file = resources::findEmbeddedFile(*path);
    if (file == nullptr) return std::nullopt;
    return file->bytes();
}

std::unique_ptr<ContentStream> InternalResources::Open(std::string_view name) {
    std::optional<std::string_view> bytes = Find(name);
    if (!bytes) throw EWFException("Resource " + std::string(name) + " not found.");
    return std::make_unique<MemoryContentStream>(*bytes);
}

std::string ContentTypeOf(std::string_view fileName) {
    std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return "";
    std::string extension = text::toUpper(fileName.substr(dot));
    for (const TypeEntry& entry : kContentTypes) {
        if (extension == entry.extension) return entry.type;
    }
    return "";
}

}  // namespace web
