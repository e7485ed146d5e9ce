#include "web/forms/OutputLineBreak.h"

#include <atomic>

namespace web::forms {
namespace {

std::atomic<bool> debugLineBreaks{false};

}  // namespace

std::string_view OutputLineBreak() {
    return debugLineBreaks.load(std::memory_order_relaxed) ? "\r\n" : "";
}

void setOutputLineBreak(bool debugHTML) {
    debugLineBreaks.store(debugHTML, std::memory_order_relaxed);
}

}  // namespace web::forms
