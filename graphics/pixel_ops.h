#pragma once
#include "graphics/pixel_view.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace glimra {

// Fills the part of r that lies inside dst with one colour.
void FillRect(TPixelView dst, TRect r, std::uint8_t blue, std::uint8_t green, std::uint8_t red);

// Copies srcRect of src to (dx, dy) of dst, unscaled. Whatever falls outside
// either bitmap is skipped; the rest of dst is left as it was.
void CopyRect(TPixelView dst, int dx, int dy, TConstPixelView src, TRect srcRect);

// Stretches srcRect of src onto dstRect of dst, nearest pixel. Destination
// pixels outside dst, or whose source pixel lies outside src, are left as they were.
void StretchCopy(TPixelView dst, TRect dstRect, TConstPixelView src, TRect srcRect);

// Lays a premultiplied 32-bit picture (rows of blue, green, red, alpha bytes, w x h,
// stride bytes apart) over dst with its top-left corner at (dx, dy), source over.
// What falls outside dst is skipped.
void BlendPremultiplied(TPixelView dst, int dx, int dy, const std::uint8_t* bgra, int w, int h,
                        std::ptrdiff_t stride);
// The same for count pixels of one row: bgra over the 24-bit pixels at d. The spare
// pixels of the row after them may be read and are written back as they were, which
// lets the whole row go in wide steps.
void BlendPremultipliedRow(std::uint8_t* d, const std::uint8_t* bgra, int count, int spare = 0);
// Whether the four premultiplied pixels at bgra are all clear: text leaves most of a
// line's picture clear, and four pixels are looked at at once.
inline bool FourClear(const std::uint8_t* bgra) {
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint64_t alphas = 0xff000000ff000000ULL;
    std::uint64_t quad[2];
    std::memcpy(quad, bgra, sizeof quad);
    return ((quad[0] | quad[1]) & alphas) == 0;
}

// BlendPremultipliedRow as the fastest form this processor has, for loops calling it
// run after run, with the pixels under the picture read from under (d itself, or the
// same pixels of another picture). The spare pixels after count may be written with
// what under holds there.
using TRowBlend = void (*)(std::uint8_t* d, const std::uint8_t* under, const std::uint8_t* bgra,
                           int count, int spare);
TRowBlend RowBlend();

// Premultiplied pixels (in place or not) in the form InkRowBlend takes, made once for
// text laid again frame after frame: the fourth byte is the share of the pixel under
// that is kept (255 - alpha) and a clear pixel's colour bytes are 0, so the blend needs
// neither a subtraction nor a test for clear pixels, and a clear pixel leaves what is
// under it exactly.
void ToInk(const std::uint8_t* bgra, std::uint8_t* ink, int count);
// RowBlend for pixels made by ToInk, with the same result as RowBlend on the pixels
// they were made from.
TRowBlend InkRowBlend();

// Copies the part of r inside src to the same place of a 32-bit picture (rows of
// blue, green, red, 0xFF bytes, as wide and high as src, stride bytes apart).
void CopyToXrgb(TConstPixelView src, TRect r, std::uint8_t* xrgb, std::ptrdiff_t stride);

} // namespace glimra
