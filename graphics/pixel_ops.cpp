#include "graphics/pixel_ops.h"

#include <bit>
#include <cstring>
#include <vector>

namespace glimra {

void FillRect(TPixelView dst, TRect r, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    if (dst.Empty())
        return;
    r = Intersect(r, dst.Rect());
    if (r.IsEmpty())
        return;
    const std::uint8_t pixel[3] = {blue, green, red};
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::uint8_t* p = dst.Row(y) + r.Left * 3;
        for (int x = r.Left; x < r.Right; ++x, p += 3)
            std::memcpy(p, pixel, 3);
    }
}

void CopyRect(TPixelView dst, int dx, int dy, TConstPixelView src, TRect srcRect) {
    if (dst.Empty() || src.Empty())
        return;
    // Clip the source to its bitmap, then the shifted rectangle to the destination.
    TRect s = Intersect(srcRect, src.Rect());
    const int offX = dx - srcRect.Left;
    const int offY = dy - srcRect.Top;
    TRect d = Intersect({s.Left + offX, s.Top + offY, s.Right + offX, s.Bottom + offY}, dst.Rect());
    if (d.IsEmpty())
        return;
    const std::size_t bytes = static_cast<std::size_t>(d.Width()) * 3;
    for (int y = d.Top; y < d.Bottom; ++y)
        std::memmove(dst.Row(y) + d.Left * 3, src.Row(y - offY) + (d.Left - offX) * 3, bytes);
}

void StretchCopy(TPixelView dst, TRect dstRect, TConstPixelView src, TRect srcRect) {
    if (dstRect.IsEmpty() || srcRect.IsEmpty() || dst.Empty() || src.Empty())
        return;
    if (dstRect.Width() == srcRect.Width() && dstRect.Height() == srcRect.Height()) {
        CopyRect(dst, dstRect.Left, dstRect.Top, src, srcRect);
        return;
    }
    const TRect d = Intersect(dstRect, dst.Rect());
    if (d.IsEmpty())
        return;
    const long long dw = dstRect.Width(), dh = dstRect.Height();
    const long long sw = srcRect.Width(), sh = srcRect.Height();
    // Source column of every destination column, -1 where it lies outside src.
    std::vector<int> columns(static_cast<std::size_t>(d.Width()));
    for (int x = d.Left; x < d.Right; ++x) {
        const long long sx = srcRect.Left + (x - dstRect.Left) * sw / dw;
        columns[x - d.Left] = (sx >= 0 && sx < src.Width) ? static_cast<int>(sx) * 3 : -1;
    }
    for (int y = d.Top; y < d.Bottom; ++y) {
        const long long sy = srcRect.Top + (y - dstRect.Top) * sh / dh;
        if (sy < 0 || sy >= src.Height)
            continue;
        const std::uint8_t* srow = src.Row(static_cast<int>(sy));
        std::uint8_t* p = dst.Row(y) + d.Left * 3;
        for (int column : columns) {
            if (column >= 0)
                std::memcpy(p, srow + column, 3);
            p += 3;
        }
    }
}

namespace {

// Source over for one pixel: x / 255 for x up to 255 * 255, without a division.
inline void BlendPixel(const std::uint8_t* s, std::uint8_t* d) {
    const unsigned a = s[3];
    if (a == 0)
        return;
    const unsigned keep = 255 - a;
    for (int c = 0; c < 3; ++c) {
        const unsigned t = d[c] * keep + 128;
        d[c] = static_cast<std::uint8_t>(s[c] + ((t + (t >> 8)) >> 8));
    }
}

} // namespace

void BlendPremultiplied(TPixelView dst, int dx, int dy, const std::uint8_t* bgra, int w, int h,
                        std::ptrdiff_t stride) {
    static_assert(std::endian::native == std::endian::little);
    const TRect r = Intersect({dx, dy, dx + w, dy + h}, dst.Rect());
    // Text leaves most of a line's picture clear: four clear pixels are skipped at once.
    constexpr std::uint64_t alphas = 0xff000000ff000000ULL;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const std::uint8_t* s = bgra + (y - dy) * stride + (r.Left - dx) * 4;
        std::uint8_t* d = dst.Row(y) + r.Left * 3;
        int x = r.Left;
        for (; x + 4 <= r.Right; x += 4, s += 16, d += 12) {
            std::uint64_t quad[2];
            std::memcpy(quad, s, sizeof quad);
            if (((quad[0] | quad[1]) & alphas) == 0)
                continue;
            for (int i = 0; i < 4; ++i)
                BlendPixel(s + 4 * i, d + 3 * i);
        }
        for (; x < r.Right; ++x, s += 4, d += 3)
            BlendPixel(s, d);
    }
}

void CopyToXrgb(TConstPixelView src, TRect r, std::uint8_t* xrgb, std::ptrdiff_t stride) {
    static_assert(std::endian::native == std::endian::little);
    r = Intersect(r, src.Rect());
    if (r.IsEmpty())
        return;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const std::uint8_t* s = src.Row(y) + r.Left * 3;
        std::uint8_t* d = xrgb + y * stride + r.Left * 4;
        // One word per pixel; the last one is read byte by byte, as a word would run
        // past the end of the bitmap.
        for (int x = r.Left; x < r.Right - 1; ++x, s += 3, d += 4) {
            std::uint32_t word;
            std::memcpy(&word, s, 4);
            word |= 0xff000000u;
            std::memcpy(d, &word, 4);
        }
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = 0xff;
    }
}

} // namespace glimra
