#pragma once
#include <cstdint>

namespace glimra {

// A platform colour: 0x00BBGGRR (red in the low byte), or a system colour
// (0x80000000 plus the system colour index).
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clMaroon = 0x00000080;
inline constexpr TColor clGreen = 0x00008000;
inline constexpr TColor clOlive = 0x00008080;
inline constexpr TColor clNavy = 0x00800000;
inline constexpr TColor clPurple = 0x00800080;
inline constexpr TColor clTeal = 0x00808000;
inline constexpr TColor clGray = 0x00808080;
inline constexpr TColor clSilver = 0x00C0C0C0;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clLime = 0x0000FF00;
inline constexpr TColor clYellow = 0x0000FFFF;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clFuchsia = 0x00FF00FF;
inline constexpr TColor clAqua = 0x00FFFF00;
inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor SystemColorBase = 0x80000000;

inline constexpr std::uint8_t RedOf(TColor c) {
    return c & 0xFF;
}
inline constexpr std::uint8_t GreenOf(TColor c) {
    return (c >> 8) & 0xFF;
}
inline constexpr std::uint8_t BlueOf(TColor c) {
    return (c >> 16) & 0xFF;
}

} // namespace glimra
