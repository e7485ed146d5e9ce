#pragma once

#include <string_view>

namespace web::forms {

// The optional line break of generated pages: CR LF when the server controller's DebugHTML
// is on, so pages stay readable while debugging, else nothing. Set once while the controller
// loads; read by every render.
std::string_view OutputLineBreak();
void setOutputLineBreak(bool debugHTML);

}  // namespace web::forms
