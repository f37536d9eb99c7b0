#pragma once
#include "graphics/pixel_view.h"

namespace glimra {

// Per-channel tint amounts and direction, as the settings AV_B, AV_G, AV_R and
// AV_REVERSE hold them. A larger tint always takes more away from its colour.
struct TTint {
    std::uint8_t AvB = 0;
    std::uint8_t AvG = 0;
    std::uint8_t AvR = 0;
    bool AvReverse = false;
};

// Darkens (or, with AvReverse, lightens) every pixel by level × 20 adjusted by
// the tint, saturating at 0 and 255.
void AdjustBrightness(TPixelView view, std::uint8_t level, TTint tint);

// The same on the part of r inside the bitmap; a rectangle narrower or lower
// than 2 pixels is left alone.
void ShadeRect(TPixelView view, TRect r, std::uint8_t level, TTint tint);
// Copies the pieces at from in src to the same-sized r of view and shades them as
// ShadeRect does, in one pass; r and from must lie inside their pictures.
void ShadeCopy(TPixelView view, TRect r, TConstPixelView src, TRect from, std::uint8_t level,
               TTint tint);

} // namespace glimra
