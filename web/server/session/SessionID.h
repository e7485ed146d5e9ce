#pragma once

#include <string_view>

namespace web {

// Whether `id` could be a session id: 1 to 64 letters and digits. Ids name the session's
// cache folder, so nothing else may become one.
bool IsSessionIDText(std::string_view id);

}  // namespace web
