#include "graphics/pixel_ops.h"

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

void BlendPremultiplied(TPixelView dst, int dx, int dy, const std::uint8_t* bgra, int w, int h,
                        std::ptrdiff_t stride) {
    const TRect r = Intersect({dx, dy, dx + w, dy + h}, dst.Rect());
    for (int y = r.Top; y < r.Bottom; ++y) {
        const std::uint8_t* s = bgra + (y - dy) * stride + (r.Left - dx) * 4;
        std::uint8_t* d = dst.Row(y) + r.Left * 3;
        for (int x = r.Left; x < r.Right; ++x, s += 4, d += 3) {
            const unsigned a = s[3];
            if (a == 0)
                continue;
            const unsigned keep = 255 - a;
            // x / 255 for x up to 255 * 255, without a division.
            for (int c = 0; c < 3; ++c) {
                const unsigned t = d[c] * keep + 128;
                d[c] = static_cast<std::uint8_t>(s[c] + ((t + (t >> 8)) >> 8));
            }
        }
    }
}

void CopyToXrgb(TConstPixelView src, TRect r, std::uint8_t* xrgb, std::ptrdiff_t stride) {
    r = Intersect(r, src.Rect());
    for (int y = r.Top; y < r.Bottom; ++y) {
        const std::uint8_t* s = src.Row(y) + r.Left * 3;
        std::uint8_t* d = xrgb + y * stride + r.Left * 4;
        for (int x = r.Left; x < r.Right; ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 0xff;
        }
    }
}

} // namespace glimra
