#include "web/forms/TColor.h"

#include <array>

namespace web::forms {
namespace {

// The classic desktop scheme, as 0xRRGGBB, by system colour index.
constexpr std::array<std::uint32_t, 25> kSystemColors = {
    0xD4D0C8,  // scroll bar
    0x3A6EA5,  // desktop background
    0x0A246A,  // active caption
    0x808080,  // inactive caption
    0xD4D0C8,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xD4D0C8,  // active border
    0xD4D0C8,  // inactive border
    0x808080,  // application workspace
    0x0A246A,  // highlight
    0xFFFFFF,  // highlight text
    0xD4D0C8,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xD4D0C8,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x404040,  // 3D dark shadow
    0xD4D0C8,  // 3D light
    0x000000,  // tooltip text
    0xFFFFE1,  // tooltip background
};

constexpr std::uint32_t kSystemColorFlag = 0xFF000000u;

}  // namespace

std::uint32_t colorToRGB(TColor color) {
    auto value = static_cast<std::uint32_t>(color.value());
    if (color == clTransparent) return 0;
    if ((value & kSystemColorFlag) == kSystemColorFlag) {
        std::uint32_t index = value & 0x00FFFFFFu;
        return index < kSystemColors.size() ? kSystemColors[index] : 0;
    }
    return ((value & 0xFFu) << 16) | (value & 0xFF00u) | ((value >> 16) & 0xFFu);
}

std::string htmlColor(TColor color) {
    if (color == clNone) return {};
    if (color == clTransparent) return "transparent";
    // "#RRGGBB" in upper-case hex, written by hand: pages name many colours.
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint32_t rgb = colorToRGB(color);
    std::string text(7, '#');
    for (std::size_t digit = 0; digit < 6; ++digit) text[6 - digit] = kHex[(rgb >> (4 * digit)) & 0xFu];
    return text;
}

}  // namespace web::forms
