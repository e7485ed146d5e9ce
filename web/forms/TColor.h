#pragma once

#include <cstdint>
#include <string>

namespace web::forms {

// A design-time colour: a 0x00BBGGRR number, a system colour (0xFF000000 + the system
// colour's index), clNone (not set) or -1 (transparent). Converts implicitly from the
// plain numbers the page designs use, such as 8366590.
class TColor {
public:
    constexpr TColor(std::int32_t value) : value_(value) {}  // NOLINT: design values are plain numbers
    constexpr std::int32_t value() const { return value_; }
    friend constexpr bool operator==(TColor, TColor) = default;

private:
    std::int32_t value_;
};

namespace detail {
constexpr std::int32_t systemColor(std::uint32_t index) {
    return static_cast<std::int32_t>(0xFF000000u | index);
}
constexpr std::int32_t bgr(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return static_cast<std::int32_t>(red | (green << 8) | (blue << 16));
}
}  // namespace detail

inline constexpr TColor clNone{0x1FFFFFFF};
inline constexpr TColor clTransparent{-1};

// System colours; they resolve to the classic desktop scheme.
inline constexpr TColor clScrollBar{detail::systemColor(0)};
inline constexpr TColor clBackground{detail::systemColor(1)};
inline constexpr TColor clActiveCaption{detail::systemColor(2)};
inline constexpr TColor clInactiveCaption{detail::systemColor(3)};
inline constexpr TColor clMenu{detail::systemColor(4)};
inline constexpr TColor clWindow{detail::systemColor(5)};
inline constexpr TColor clWindowFrame{detail::systemColor(6)};
inline constexpr TColor clMenuText{detail::systemColor(7)};
inline constexpr TColor clWindowText{detail::systemColor(8)};
inline constexpr TColor clCaptionText{detail::systemColor(9)};
inline constexpr TColor clActiveBorder{detail::systemColor(10)};
inline constexpr TColor clInactiveBorder{detail::systemColor(11)};
inline constexpr TColor clAppWorkSpace{detail::systemColor(12)};
inline constexpr TColor clHighlight{detail::systemColor(13)};
inline constexpr TColor clHighlightText{detail::systemColor(14)};
inline constexpr TColor clBtnFace{detail::systemColor(15)};
inline constexpr TColor clBtnShadow{detail::systemColor(16)};
inline constexpr TColor clGrayText{detail::systemColor(17)};
inline constexpr TColor clBtnText{detail::systemColor(18)};
inline constexpr TColor clInactiveCaptionText{detail::systemColor(19)};
inline constexpr TColor clBtnHighlight{detail::systemColor(20)};
inline constexpr TColor cl3DDkShadow{detail::systemColor(21)};
inline constexpr TColor cl3DLight{detail::systemColor(22)};
inline constexpr TColor clInfoText{detail::systemColor(23)};
inline constexpr TColor clInfoBk{detail::systemColor(24)};

// The sixteen basic colours and the four extra design colours.
inline constexpr TColor clBlack{detail::bgr(0, 0, 0)};
inline constexpr TColor clMaroon{detail::bgr(128, 0, 0)};
inline constexpr TColor clGreen{detail::bgr(0, 128, 0)};
inline constexpr TColor clOlive{detail::bgr(128, 128, 0)};
inline constexpr TColor clNavy{detail::bgr(0, 0, 128)};
inline constexpr TColor clPurple{detail::bgr(128, 0, 128)};
inline constexpr TColor clTeal{detail::bgr(0, 128, 128)};
inline constexpr TColor clGray{detail::bgr(128, 128, 128)};
inline constexpr TColor clSilver{detail::bgr(192, 192, 192)};
inline constexpr TColor clRed{detail::bgr(255, 0, 0)};
inline constexpr TColor clLime{detail::bgr(0, 255, 0)};
inline constexpr TColor clYellow{detail::bgr(255, 255, 0)};
inline constexpr TColor clBlue{detail::bgr(0, 0, 255)};
inline constexpr TColor clFuchsia{detail::bgr(255, 0, 255)};
inline constexpr TColor clAqua{detail::bgr(0, 255, 255)};
inline constexpr TColor clWhite{detail::bgr(255, 255, 255)};
inline constexpr TColor clMoneyGreen{detail::bgr(192, 220, 192)};
inline constexpr TColor clSkyBlue{detail::bgr(166, 202, 240)};
inline constexpr TColor clCream{detail::bgr(255, 251, 240)};
inline constexpr TColor clMedGray{detail::bgr(160, 160, 164)};

// Named web colours.
inline constexpr TColor clWebBLACK{detail::bgr(0, 0, 0)};
inline constexpr TColor clWebWHITE{detail::bgr(255, 255, 255)};
inline constexpr TColor clWebSILVER{detail::bgr(192, 192, 192)};
inline constexpr TColor clWebGRAY{detail::bgr(128, 128, 128)};
inline constexpr TColor clWebLIGHTGREY{detail::bgr(211, 211, 211)};
inline constexpr TColor clWebGAINSBORO{detail::bgr(220, 220, 220)};
inline constexpr TColor clWebRED{detail::bgr(255, 0, 0)};
inline constexpr TColor clWebMAROON{detail::bgr(128, 0, 0)};
inline constexpr TColor clWebBROWN{detail::bgr(165, 42, 42)};
inline constexpr TColor clWebORANGE{detail::bgr(255, 165, 0)};
inline constexpr TColor clWebGOLD{detail::bgr(255, 215, 0)};
inline constexpr TColor clWebYELLOW{detail::bgr(255, 255, 0)};
inline constexpr TColor clWebLIGHTYELLOW{detail::bgr(255, 255, 224)};
inline constexpr TColor clWebTAN{detail::bgr(210, 180, 140)};
inline constexpr TColor clWebWHEAT{detail::bgr(245, 222, 179)};
inline constexpr TColor clWebBEIGE{detail::bgr(245, 245, 220)};
inline constexpr TColor clWebLINEN{detail::bgr(250, 240, 230)};
inline constexpr TColor clWebIVORY{detail::bgr(255, 255, 240)};
inline constexpr TColor clWebCORNSILK{detail::bgr(255, 248, 220)};
inline constexpr TColor clWebGREEN{detail::bgr(0, 128, 0)};
inline constexpr TColor clWebMEDIUMAQUAMARINE{detail::bgr(102, 205, 170)};
inline constexpr TColor clWebTEAL{detail::bgr(0, 128, 128)};
inline constexpr TColor clWebNAVY{detail::bgr(0, 0, 128)};
inline constexpr TColor clWebBLUE{detail::bgr(0, 0, 255)};
inline constexpr TColor clWebSTEELBLUE{detail::bgr(70, 130, 180)};
inline constexpr TColor clWebSKYBLUE{detail::bgr(135, 206, 235)};
inline constexpr TColor clWebLIGHTBLUE{detail::bgr(173, 216, 230)};
inline constexpr TColor clWebLAVENDER{detail::bgr(230, 230, 250)};

// The colour as 0xRRGGBB, system colours resolved.
std::uint32_t colorToRGB(TColor color);

// "#RRGGBB" (upper-case hexadecimal), "transparent" for -1, and nothing for clNone.
std::string htmlColor(TColor color);

}  // namespace web::forms
