#pragma once

#include <string_view>

// The product as its own pages and the host name it.
namespace exam {

inline constexpr std::string_view kProductName = "栎川在线考试系统";
// This build's version; the version text of the built-in vendor site announces it, so the
// host's version check finds nothing newer.
inline constexpr std::string_view kProductVersion = "1.1";

}  // namespace exam
