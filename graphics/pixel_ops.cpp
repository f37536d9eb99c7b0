#include "graphics/pixel_ops.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

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

// The blends below take premultiplied pixels or, with Ink, pixels made by ToInk: their
// fourth byte is already the share kept and their clear pixels already colourless.

// Source over for one pixel: x / 255 for x up to 255 * 255, without a division and
// without a branch (text mixes clear, solid and edge pixels too finely to predict).
// A clear pixel adds nothing, whatever its colour bytes hold. A colour byte above its
// alpha (a broken picture) saturates, as the wide forms' pack does.
template <bool Ink>
inline void BlendPixel(const std::uint8_t* s, const std::uint8_t* under, std::uint8_t* d) {
    const unsigned keep = Ink ? s[3] : 255u - s[3];
    const unsigned inked = Ink || s[3] != 0 ? 0xffu : 0u;
    for (int c = 0; c < 3; ++c) {
        const unsigned t = under[c] * keep + 128;
        d[c] = static_cast<std::uint8_t>(std::min((s[c] & inked) + ((t + (t >> 8)) >> 8), 255u));
    }
}

// The shuffled form of a row operation where the processor has the byte shuffle.
template <class F> F Fastest(F plain, [[maybe_unused]] F shuffled) {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("ssse3"))
        return shuffled;
#endif
    return plain;
}

#if defined(__x86_64__)

// Four 24-bit pixels as four words (the top byte is whatever followed) and back.
inline __m128i LoadFour(const std::uint8_t* d) {
    std::uint32_t in[3];
    std::memcpy(in, d, sizeof in);
    return _mm_set_epi32(static_cast<int>(in[2] >> 8),
                         static_cast<int>((in[1] >> 16) | (in[2] << 16)),
                         static_cast<int>((in[0] >> 24) | (in[1] << 8)), static_cast<int>(in[0]));
}

inline void StoreFour(std::uint8_t* d, __m128i pixels) {
    std::uint32_t p[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), pixels);
    const std::uint32_t out[3] = {(p[0] & 0xffffffu) | (p[1] << 24),
                                  ((p[1] >> 8) & 0xffffu) | (p[2] << 16),
                                  ((p[2] >> 16) & 0xffu) | (p[3] << 8)};
    std::memcpy(d, out, sizeof out);
}

// BlendPixel on two pixels widened to 16-bit lanes, the fourth byte spread over each
// pixel's lanes. x / 255 rounded is (x + 128) * 257 >> 16 for every product of two bytes.
template <bool Ink> inline __m128i BlendTwo(__m128i s, __m128i d, __m128i fourth) {
    __m128i keep = fourth;
    if constexpr (!Ink) {
        keep = _mm_sub_epi16(_mm_set1_epi16(255), fourth);
        s = _mm_andnot_si128(_mm_cmpeq_epi16(fourth, _mm_setzero_si128()), s);
    }
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(d, keep), _mm_set1_epi16(128));
    return _mm_add_epi16(s, _mm_mulhi_epu16(t, _mm_set1_epi16(257)));
}

template <bool Ink> inline __m128i BlendTwo(__m128i s, __m128i d) {
    return BlendTwo<Ink>(s, d, _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xff), 0xff));
}

template <bool Ink>
void BlendRowWords(std::uint8_t* d, const std::uint8_t* under, const std::uint8_t* bgra, int count,
                   int = 0) {
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 4 <= count; x += 4, bgra += 16, d += 12, under += 12) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgra));
        const __m128i back = LoadFour(under);
        const __m128i low =
            BlendTwo<Ink>(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(back, zero));
        const __m128i high =
            BlendTwo<Ink>(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(back, zero));
        StoreFour(d, _mm_packus_epi16(low, high));
    }
    for (; x < count; ++x, bgra += 4, d += 3, under += 3)
        BlendPixel<Ink>(bgra, under, d);
}

// Twelve bytes, four 24-bit pixels, in the low lanes and out of them, without touching
// the bytes after them.
inline __m128i LoadTwelve(const std::uint8_t* p) {
    std::uint32_t last;
    std::memcpy(&last, p + 8, sizeof last);
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                              _mm_cvtsi32_si128(static_cast<int>(last)));
}

inline void StoreTwelve(std::uint8_t* p, __m128i bytes) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), bytes);
    const auto last = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 8)));
    std::memcpy(p + 8, &last, sizeof last);
}

// Four pixels of ink over the four 24-bit pixels in the low twelve bytes of was, packed
// into the low twelve bytes of the result.
template <bool Ink>
__attribute__((target("ssse3"))) inline __m128i BlendFourShuffled(__m128i was,
                                                                  const std::uint8_t* ink) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m128i lowFourth = _mm_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m128i highFourth =
        _mm_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ink));
    const __m128i back = _mm_shuffle_epi8(was, spread);
    const __m128i low = BlendTwo<Ink>(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(back, zero),
                                      _mm_shuffle_epi8(s, lowFourth));
    const __m128i high = BlendTwo<Ink>(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(back, zero),
                                       _mm_shuffle_epi8(s, highFourth));
    return _mm_shuffle_epi8(_mm_packus_epi16(low, high), pack);
}

// The same as BlendRowWords with byte shuffles spreading and packing the 24-bit pixels.
// Sixteen bytes are loaded and stored for twelve, the last four taken from under as
// they were, while two more pixels of the row follow: the spare ones after count, or
// the row's own last ones. The groups after that go twelve bytes at a time. The next
// group is loaded before this one is stored: a load over bytes just stored would wait
// for the store.
template <bool Ink>
__attribute__((target("ssse3"))) void BlendRowShuffled(std::uint8_t* d, const std::uint8_t* under,
                                                       const std::uint8_t* bgra, int count,
                                                       int spare) {
    const __m128i tail = _mm_setr_epi32(0, 0, 0, -1);
    const int reach = count + std::min(spare, 2);
    const auto fits = [count, reach](int at) { return at + 4 <= count && at + 6 <= reach; };
    int x = 0;
    if (fits(0)) {
        __m128i was = _mm_loadu_si128(reinterpret_cast<const __m128i*>(under));
        for (bool more = true; more; x += 4, bgra += 16, d += 12, under += 12) {
            more = fits(x + 4);
            const __m128i next =
                more ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(under + 12)) : was;
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(d),
                _mm_or_si128(BlendFourShuffled<Ink>(was, bgra), _mm_and_si128(was, tail)));
            was = next;
        }
    }
    for (; x + 4 <= count; x += 4, bgra += 16, d += 12, under += 12)
        StoreTwelve(d, BlendFourShuffled<Ink>(LoadTwelve(under), bgra));
    if (x < count)
        BlendRowWords<Ink>(d, under, bgra, count - x);
}
#else

template <bool Ink>
void BlendRowWords(std::uint8_t* d, const std::uint8_t* under, const std::uint8_t* bgra, int count,
                   int = 0) {
    for (int x = 0; x < count; ++x, bgra += 4, d += 3, under += 3)
        BlendPixel<Ink>(bgra, under, d);
}
template <bool Ink>
void BlendRowShuffled(std::uint8_t* d, const std::uint8_t* under, const std::uint8_t* bgra,
                      int count, int spare) {
    BlendRowWords<Ink>(d, under, bgra, count, spare);
}

#endif

} // namespace

TRowBlend RowBlend() {
    static const TRowBlend blendRow =
        Fastest<TRowBlend>(&BlendRowWords<false>, &BlendRowShuffled<false>);
    return blendRow;
}

void ToInk(const std::uint8_t* bgra, std::uint8_t* ink, int count) {
    for (int x = 0; x < count; ++x, bgra += 4, ink += 4) {
        const std::uint8_t inked = bgra[3] != 0 ? 0xff : 0;
        ink[0] = bgra[0] & inked;
        ink[1] = bgra[1] & inked;
        ink[2] = bgra[2] & inked;
        ink[3] = static_cast<std::uint8_t>(255 - bgra[3]);
    }
}

TRowBlend InkRowBlend() {
    static const TRowBlend blendRow =
        Fastest<TRowBlend>(&BlendRowWords<true>, &BlendRowShuffled<true>);
    return blendRow;
}

void BlendPremultipliedRow(std::uint8_t* d, const std::uint8_t* bgra, int count, int spare) {
    RowBlend()(d, d, bgra, count, spare);
}

void BlendPremultiplied(TPixelView dst, int dx, int dy, const std::uint8_t* bgra, int w, int h,
                        std::ptrdiff_t stride) {
    const TRect r = Intersect({dx, dy, dx + w, dy + h}, dst.Rect());
    for (int y = r.Top; y < r.Bottom; ++y) {
        const std::uint8_t* s = bgra + (y - dy) * stride + (r.Left - dx) * 4;
        std::uint8_t* d = dst.Row(y) + r.Left * 3;
        int x = r.Left;
        for (; x + 4 <= r.Right; x += 4, s += 16, d += 12)
            if (!FourClear(s))
                BlendPremultipliedRow(d, s, 4);
        BlendPremultipliedRow(d, s, r.Right - x);
    }
}

namespace {

// One row of count 24-bit pixels as opaque 32-bit words.
void CopyRowToXrgb(const std::uint8_t* s, std::uint8_t* d, int count) {
    constexpr std::uint32_t opaque = 0xff000000u;
    int x = 0;
    // Four pixels are three whole words: read as words, they never run past the row.
    for (; x + 4 <= count; x += 4, s += 12, d += 16) {
        std::uint32_t in[3];
        std::memcpy(in, s, sizeof in);
        const std::uint32_t out[4] = {in[0] | opaque, (in[0] >> 24) | (in[1] << 8) | opaque,
                                      (in[1] >> 16) | (in[2] << 16) | opaque,
                                      (in[2] >> 8) | opaque};
        std::memcpy(d, out, sizeof out);
    }
    for (; x < count; ++x, s += 3, d += 4) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        d[3] = 0xff;
    }
}

#if defined(__x86_64__)
// The same with one byte shuffle per four pixels, where the processor has it.
__attribute__((target("ssse3"))) void CopyRowToXrgbShuffled(const std::uint8_t* s, std::uint8_t* d,
                                                            int count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
    int x = 0;
    // A load takes sixteen bytes for twelve while two pixels more follow in the row.
    for (; x + 4 <= count; x += 4, s += 12, d += 16) {
        const __m128i in =
            x + 6 <= count ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(s)) : LoadTwelve(s);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                         _mm_or_si128(_mm_shuffle_epi8(in, spread), opaque));
    }
    CopyRowToXrgb(s, d, count - x);
}
#else
constexpr auto& CopyRowToXrgbShuffled = CopyRowToXrgb;
#endif

} // namespace

void CopyToXrgb(TConstPixelView src, TRect r, std::uint8_t* xrgb, std::ptrdiff_t stride) {
    static_assert(std::endian::native == std::endian::little);
    static const auto copyRow = Fastest(&CopyRowToXrgb, &CopyRowToXrgbShuffled);
    r = Intersect(r, src.Rect());
    if (r.IsEmpty())
        return;
    for (int y = r.Top; y < r.Bottom; ++y)
        copyRow(src.Row(y) + r.Left * 3, xrgb + y * stride + r.Left * 4, r.Width());
}

} // namespace glimra
