#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "web/server/ContentStream.h"

namespace web {

// The runtime's own files compiled into the program: client scripts, images, the site
// icon and the error-page template, looked up by their upper-case resource names
// ("WF_JS_WFCOMMON", "WF_GFX_TP", ...). The list is fixed, so lookups need no lock.
class InternalResources {
public:
    // The resource's bytes, or nullopt when no such name is registered or the program
    // does not contain it.
    static std::optional<std::string_view> Find(std::string_view name);
    // Where the resource lies inside the resources folder ("gfx/Tp.gif"), or nullopt
    // when the name is not registered.
    static std::optional<std::string_view> PathOf(std::string_view name);
    // A stream over the resource; fails with "Resource <name> not found.".
    static std::unique_ptr<ContentStream> Open(std::string_view name);
};

// The content type of a file name by its extension ("" when the extension is unknown).
std::string ContentTypeOf(std::string_view fileName);

}  // namespace web
