#pragma once
#include "graphics/pixel_view.h"

#include <cstdint>

namespace glimra {

// The pixel work the host does for modules, on the composition bitmap of a
// window (dst) and the module's own bitmaps (src, mask).

// Bytes per row of a 1-bit mask: one bit per pixel, padded to 4.
constexpr std::ptrdiff_t MaskStride(int width) {
    return width <= 0 ? 0 : (static_cast<std::ptrdiff_t>(width) + 31) / 32 * 4;
}

// Whether a bitmap header a module hands over describes memory we can walk:
// bits set, width and height above 0, bit count 24 (blue, green, red) or 1
// (mask), and a stride of at least the padded row (DibStride or MaskStride).
// A larger stride is accepted; a negative one (bottom-up rows) is not. The
// size of the memory itself cannot be checked: the module vouches for
// stride × height bytes.
bool SoundBitmapHeader(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                       std::int32_t stride, const void* bits);

// Replaces every byte v of the rectangle by ⌊v × 26 / 32⌋, times over. A
// rectangle narrower or lower than 2 pixels is left alone; the rest is clipped
// to the bitmap, so a module cannot reach memory outside it.
void DecBrightness(TPixelView bitmap, int left, int top, int right, int bottom, std::uint8_t times);

// Blends src onto dst with its top-left corner at (x, y), or centred (the
// halves truncated toward zero). Each channel becomes B[d] + A[s] with
// A[i] = trunc(i × alpha) and B[i] = trunc((1 − alpha) × i); lighten copies s
// where it is brighter than d. Only the overlap changes. alpha is clamped to
// 0 … 1 (NaN counts as 0).
void Blend(TPixelView dst, int x, int y, TConstPixelView src, double alpha, bool lighten,
           bool center);

// As Blend, for the src pixels whose mask bit is set (mask has the size of
// src; pixels beyond a smaller mask do not take part), with the exact
// (1 − alpha) × d + alpha × s to the nearest integer, halves to even. Sources
// are taken up to 32767 × 32767 pixels; the rest is ignored.
void BlendMask(TPixelView dst, int x, int y, TConstPixelView src, TMaskView mask, double alpha,
               bool lighten, bool center);

} // namespace glimra
