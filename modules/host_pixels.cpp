#include "modules/host_pixels.h"

#include "graphics/blend.h"
#include "graphics/control_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace glimra {
namespace {

// Counters of the masked blend are 16-bit.
constexpr int MaskedSourceLimit = 32767;

double ClampAlpha(double alpha) {
    return alpha >= 0.0 ? std::min(alpha, 1.0) : 0.0;
}

// Alpha as the exact fraction Share / 2^Bits, so (1 − alpha) × d + alpha × s is worked
// out without a rounding on the way: rounding a product early lifts 10 × 0.7 to 7.
struct TExactAlpha {
    using TWide = unsigned __int128;
    TWide Share = 0;
    int Bits = 0;

    explicit TExactAlpha(double alpha) {
        alpha = ClampAlpha(alpha);
        // Below 2^-60 no result differs from that of 2^-60; the products stay in 121 bits.
        if (alpha > 0.0 && alpha < 0x1p-60)
            alpha = 0x1p-60;
        int exponent = 0;
        const double fraction = std::frexp(alpha, &exponent);
        Share = static_cast<TWide>(std::ldexp(fraction, 53));
        Bits = 53 - exponent;
    }
    TWide Rest() const { return (TWide(1) << Bits) - Share; }
    // ⌊i × alpha⌋ and ⌊i × (1 − alpha)⌋.
    std::uint8_t Part(int i) const { return static_cast<std::uint8_t>((Share * i) >> Bits); }
    std::uint8_t RestPart(int i) const { return static_cast<std::uint8_t>((Rest() * i) >> Bits); }
    // (1 − alpha) × d + alpha × s to the nearest integer, halves to even.
    std::uint8_t Mix(std::uint8_t d, std::uint8_t s) const {
        const TWide sum = Rest() * d + Share * s;
        const TWide whole = sum >> Bits;
        const TWide rest = sum - (whole << Bits), half = TWide(1) << (Bits - 1);
        return static_cast<std::uint8_t>(whole + (rest > half || (rest == half && (whole & 1))));
    }
};

// Where src, placed at the origin, meets dst: the first source column and row
// and the size of the shared part (empty when they do not meet).
struct TOverlap {
    int SrcLeft = 0;
    int SrcTop = 0;
    int DstLeft = 0;
    int DstTop = 0;
    int Width = 0;
    int Height = 0;
    bool Empty() const { return Width <= 0 || Height <= 0; }
};

TPoint OriginOf(const TPixelView& dst, int x, int y, TConstPixelView src, bool center) {
    return center ? CentreIn(dst.Width, dst.Height, src.Width, src.Height) : TPoint{x, y};
}

TOverlap OverlapOf(const TPixelView& dst, TPoint origin, int srcWidth, int srcHeight) {
    const int x = origin.X, y = origin.Y;
    // In 64 bits: a module may pass any origin.
    const long long left = std::max<long long>(0, -static_cast<long long>(x));
    const long long top = std::max<long long>(0, -static_cast<long long>(y));
    const long long right = std::min<long long>(srcWidth, static_cast<long long>(dst.Width) - x);
    const long long bottom = std::min<long long>(srcHeight, static_cast<long long>(dst.Height) - y);
    if (right <= left || bottom <= top)
        return {};
    return {static_cast<int>(left),         static_cast<int>(top),
            static_cast<int>(x + left),     static_cast<int>(y + top),
            static_cast<int>(right - left), static_cast<int>(bottom - top)};
}

} // namespace

bool SoundBitmapHeader(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                       std::int32_t stride, const void* bits) {
    if (bits == nullptr || width <= 0 || height <= 0)
        return false;
    std::ptrdiff_t row = 0;
    if (bitCount == 24)
        row = DibStride(width);
    else if (bitCount == 1)
        row = MaskStride(width);
    else
        return false;
    // stride × height stays below 2^62, so the last byte's offset cannot overflow.
    return stride >= row;
}

void DecBrightness(TPixelView bitmap, int left, int top, int right, int bottom,
                   std::uint8_t times) {
    if (static_cast<long long>(right) - left < 2 || static_cast<long long>(bottom) - top < 2)
        return;
    if (bitmap.Empty() || times == 0)
        return;
    const TRect r = Intersect({left, top, right, bottom}, bitmap.Rect());
    if (r.IsEmpty())
        return;
    // All the passes folded into one table.
    std::uint8_t darker[256];
    for (int v = 0; v < 256; ++v) {
        int d = v;
        for (int pass = 0; pass < times && d != 0; ++pass)
            d = (d * 26) >> 5;
        darker[v] = static_cast<std::uint8_t>(d);
    }
    const int bytes = r.Width() * 3;
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::uint8_t* p = bitmap.Row(y) + r.Left * 3;
        for (int i = 0; i < bytes; ++i)
            p[i] = darker[p[i]];
    }
}

void Blend(TPixelView dst, int x, int y, TConstPixelView src, double alpha, bool lighten,
           bool center) {
    if (dst.Empty() || src.Empty())
        return;
    const TOverlap o = OverlapOf(dst, OriginOf(dst, x, y, src, center), src.Width, src.Height);
    if (o.Empty())
        return;
    const TExactAlpha exact(alpha);
    std::uint8_t a[256], b[256];
    for (int i = 0; i < 256; ++i) {
        a[i] = exact.Part(i);
        b[i] = exact.RestPart(i);
    }
    const int bytes = o.Width * 3;
    for (int r = 0; r < o.Height; ++r) {
        const std::uint8_t* s = src.Row(o.SrcTop + r) + o.SrcLeft * 3;
        std::uint8_t* d = dst.Row(o.DstTop + r) + o.DstLeft * 3;
        if (lighten) {
            for (int i = 0; i < bytes; ++i)
                d[i] = d[i] < s[i] ? s[i] : static_cast<std::uint8_t>(b[d[i]] + a[s[i]]);
        } else {
            for (int i = 0; i < bytes; ++i)
                d[i] = static_cast<std::uint8_t>(b[d[i]] + a[s[i]]);
        }
    }
}

void BlendMask(TPixelView dst, int x, int y, TConstPixelView src, TMaskView mask, double alpha,
               bool lighten, bool center) {
    if (dst.Empty() || src.Empty() || mask.Bits == nullptr)
        return;
    // The origin follows the whole source; only the pixels the counters reach,
    // and the mask covers, take part.
    const int width = std::min({src.Width, mask.Width, MaskedSourceLimit});
    const int height = std::min({src.Height, mask.Height, MaskedSourceLimit});
    const TOverlap o = OverlapOf(dst, OriginOf(dst, x, y, src, center), width, height);
    if (o.Empty())
        return;
    const TExactAlpha mix(alpha);
    for (int r = 0; r < o.Height; ++r) {
        const std::uint8_t* bits =
            mask.Bits + static_cast<std::ptrdiff_t>(o.SrcTop + r) * mask.Stride;
        const std::uint8_t* s = src.Row(o.SrcTop + r) + o.SrcLeft * 3;
        std::uint8_t* d = dst.Row(o.DstTop + r) + o.DstLeft * 3;
        for (int c = o.SrcLeft; c < o.SrcLeft + o.Width; ++c, s += 3, d += 3) {
            if (!((bits[c >> 3] >> (7 - (c & 7))) & 1))
                continue;
            for (int k = 0; k < 3; ++k)
                d[k] = lighten && d[k] < s[k] ? s[k] : mix.Mix(d[k], s[k]);
        }
    }
}

} // namespace glimra
