#include "graphics/brightness.h"

#include "graphics/pixel_ops.h"

#include <algorithm>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace glimra {
namespace {

std::uint8_t Clamp255(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// 48 bytes hold a whole number of pixels and of vector lanes, so a row goes in whole
// vectors of one fixed pattern.
constexpr int PatternBytes = 48;

struct TAmounts {
    std::uint8_t Pattern[PatternBytes];
    bool Lighten;
};

TAmounts MakeAmounts(std::uint8_t level, TTint tint) {
    const int d = level * 20;
    const int sign = tint.AvReverse ? -1 : 1;
    const std::uint8_t b = Clamp255(d + sign * tint.AvB);
    const std::uint8_t g = Clamp255(d + sign * tint.AvG);
    const std::uint8_t r = Clamp255(d + sign * tint.AvR);
    TAmounts a{{}, tint.AvReverse};
    for (int i = 0; i < PatternBytes; i += 3) {
        a.Pattern[i] = b;
        a.Pattern[i + 1] = g;
        a.Pattern[i + 2] = r;
    }
    return a;
}

template <bool Lighten> inline std::uint8_t Apply(std::uint8_t v, std::uint8_t amount) {
    if constexpr (Lighten)
        return static_cast<std::uint8_t>(std::min(255, v + amount));
    else
        return static_cast<std::uint8_t>(v > amount ? v - amount : 0);
}

#if defined(__x86_64__)
template <bool Lighten> inline __m128i Apply(__m128i v, __m128i amount) {
    if constexpr (Lighten)
        return _mm_adds_epu8(v, amount);
    else
        return _mm_subs_epu8(v, amount);
}
#endif

// From in to out, which may be the same row. The compiler's own vectorising of the
// byte loop masks and compares where one saturating vector operation does.
template <bool Lighten>
void ApplyRow(const std::uint8_t* in, std::uint8_t* out, int bytes, const std::uint8_t* pattern) {
    int i = 0;
#if defined(__x86_64__)
    __m128i amounts[PatternBytes / 16];
    for (int k = 0; k < PatternBytes / 16; ++k)
        amounts[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern + 16 * k));
    for (; i + PatternBytes <= bytes; i += PatternBytes)
        for (int k = 0; k < PatternBytes / 16; ++k) {
            const auto* from = reinterpret_cast<const __m128i*>(in + i + 16 * k);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 16 * k),
                             Apply<Lighten>(_mm_loadu_si128(from), amounts[k]));
        }
#endif
    for (int k = 0; i < bytes; ++i, ++k)
        out[i] = Apply<Lighten>(in[i], pattern[k]);
}

template <bool Lighten> void ApplyRow(std::uint8_t* row, int bytes, const std::uint8_t* pattern) {
    ApplyRow<Lighten>(row, row, bytes, pattern);
}

void ApplyRows(TPixelView view, TRect r, const TAmounts& a) {
    const int bytes = r.Width() * 3;
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::uint8_t* row = view.Row(y) + r.Left * 3;
        if (a.Lighten)
            ApplyRow<true>(row, bytes, a.Pattern);
        else
            ApplyRow<false>(row, bytes, a.Pattern);
    }
}

} // namespace

void AdjustBrightness(TPixelView view, std::uint8_t level, TTint tint) {
    if (view.Empty())
        return;
    ApplyRows(view, view.Rect(), MakeAmounts(level, tint));
}

void ShadeRect(TPixelView view, TRect r, std::uint8_t level, TTint tint) {
    if (view.Empty() || r.Width() < 2 || r.Height() < 2)
        return;
    r = Intersect(r, view.Rect());
    if (r.IsEmpty())
        return;
    ApplyRows(view, r, MakeAmounts(level, tint));
}

void ShadeCopy(TPixelView view, TRect r, TConstPixelView src, TRect from, std::uint8_t level,
               TTint tint) {
    // A piece too thin to be shaded is only copied.
    if (r.Width() < 2 || r.Height() < 2) {
        CopyRect(view, r.Left, r.Top, src, from);
        return;
    }
    const TAmounts a = MakeAmounts(level, tint);
    const int bytes = r.Width() * 3;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const std::uint8_t* in = src.Row(from.Top + y - r.Top) + from.Left * 3;
        std::uint8_t* out = view.Row(y) + r.Left * 3;
        if (a.Lighten)
            ApplyRow<true>(in, out, bytes, a.Pattern);
        else
            ApplyRow<false>(in, out, bytes, a.Pattern);
    }
}

} // namespace glimra
