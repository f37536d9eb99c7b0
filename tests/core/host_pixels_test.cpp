#include "guarded_bitmap.h"
#include "modules/host_pixels.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace glimra {
namespace {

// A 1-bit mask with every row padded to 4 bytes.
struct TMask {
    int Width, Height;
    std::vector<std::uint8_t> Bytes;
    TMask(int width, int height, std::uint8_t fill = 0xFF)
        : Width(width), Height(height),
          Bytes(static_cast<std::size_t>(MaskStride(width)) * height, fill) {}
    TMaskView View() const { return {Bytes.data(), Width, Height, MaskStride(Width)}; }
};

std::uint8_t BlendOne(std::uint8_t d, std::uint8_t s, double alpha, bool lighten = false) {
    TGuardedBitmap dst(1, 1, d), src(1, 1, s);
    Blend(dst.View(), 0, 0, src.View(), alpha, lighten, false);
    return dst.Pixel(0, 0)[0];
}

std::uint8_t BlendMaskOne(std::uint8_t d, std::uint8_t s, double alpha, bool lighten = false) {
    TGuardedBitmap dst(1, 1, d), src(1, 1, s);
    BlendMask(dst.View(), 0, 0, src.View(), TMask(1, 1).View(), alpha, lighten, false);
    return dst.Pixel(0, 0)[0];
}

TEST(HostBlend, AlphaZeroKeepsTheDestinationAndOneCopiesTheSource) {
    for (int d : {0, 1, 77, 128, 254, 255})
        for (int s : {0, 3, 128, 255}) {
            EXPECT_EQ(BlendOne(d, s, 0.0), d);
            EXPECT_EQ(BlendOne(d, s, 1.0), s);
            EXPECT_EQ(BlendMaskOne(d, s, 0.0), d);
            EXPECT_EQ(BlendMaskOne(d, s, 1.0), s);
        }
}

TEST(HostBlend, TablesTruncateWhereTheMaskedBlendRounds) {
    EXPECT_EQ(BlendOne(255, 255, 0.5), 254); // 127 + 127
    EXPECT_EQ(BlendMaskOne(255, 255, 0.5), 255);
    EXPECT_EQ(BlendOne(201, 101, 0.5), 150); // 100 + 50
    EXPECT_EQ(BlendMaskOne(201, 101, 0.5), 151);
}

// Both blends against the formulas worked out exactly for every pair of bytes: the
// tables truncate alpha × s and (1 − alpha) × d, the masked blend rounds their sum
// halves to even. Alpha is the double the module passes, taken at its exact value.
TEST(HostBlend, EveryPairMatchesTheFormulasWorkedOutExactly) {
    using TWide = unsigned __int128;
    for (double alpha : {0.7, 0.5, 0.3, 0.1, 1.0 / 3, 0.99, 0.001}) {
        int exponent = 0;
        const TWide share = static_cast<TWide>(std::ldexp(std::frexp(alpha, &exponent), 53));
        const int bits = 53 - exponent;
        const TWide one = TWide(1) << bits;
        auto trunc = [&](TWide numerator) { return static_cast<int>(numerator >> bits); };
        auto nearestEven = [&](TWide numerator) {
            const int whole = trunc(numerator);
            const TWide twice = 2 * (numerator - (TWide(whole) << bits));
            return twice > one || (twice == one && whole % 2 == 1) ? whole + 1 : whole;
        };
        TGuardedBitmap tabled(256, 256), masked(256, 256), src(256, 256);
        for (int d = 0; d < 256; ++d)
            for (int s = 0; s < 256; ++s) {
                tabled.Set(s, d, d, d, d);
                masked.Set(s, d, d, d, d);
                src.Set(s, d, s, s, s);
            }
        Blend(tabled.View(), 0, 0, src.View(), alpha, false, false);
        BlendMask(masked.View(), 0, 0, src.View(), TMask(256, 256).View(), alpha, false, false);
        int wrong = 0;
        for (int d = 0; d < 256; ++d)
            for (int s = 0; s < 256; ++s) {
                const int table = trunc((one - share) * d) + trunc(share * s);
                const int exact = nearestEven((one - share) * d + share * s);
                wrong += tabled.Pixel(s, d)[1] != table || masked.Pixel(s, d)[1] != exact;
            }
        EXPECT_EQ(wrong, 0) << "alpha " << alpha;
    }
    EXPECT_EQ(BlendOne(0, 10, 0.7), 6); // 10 × 0.7 lies just below 7
}

TEST(HostBlend, MaskedBlendRoundsHalvesToEven) {
    EXPECT_EQ(BlendMaskOne(0, 1, 0.5), 0); // 0.5
    EXPECT_EQ(BlendMaskOne(0, 3, 0.5), 2); // 1.5
    EXPECT_EQ(BlendMaskOne(0, 5, 0.5), 2); // 2.5
    EXPECT_EQ(BlendMaskOne(2, 5, 0.5), 4); // 3.5
}

TEST(HostBlend, LightenCopiesABrighterSourceAndBlendsADarkerOne) {
    EXPECT_EQ(BlendOne(100, 200, 0.25, true), 200);
    EXPECT_EQ(BlendMaskOne(100, 200, 0.25, true), 200);
    EXPECT_EQ(BlendOne(201, 101, 0.5, true), 150);
    EXPECT_EQ(BlendMaskOne(201, 101, 0.5, true), 151);
    EXPECT_EQ(BlendOne(50, 50, 0.0, true), 50);
}

TEST(HostBlend, ChannelsAreIndependent) {
    TGuardedBitmap dst(1, 1), src(1, 1);
    dst.Set(0, 0, 10, 200, 0);
    src.Set(0, 0, 200, 10, 255);
    Blend(dst.View(), 0, 0, src.View(), 0.0, true, false);
    EXPECT_EQ(dst.Pixel(0, 0)[0], 200);
    EXPECT_EQ(dst.Pixel(0, 0)[1], 200);
    EXPECT_EQ(dst.Pixel(0, 0)[2], 255);
}

TEST(HostBlend, AlphaOutsideZeroToOneIsClamped) {
    EXPECT_EQ(BlendOne(10, 200, 7.0), 200);
    EXPECT_EQ(BlendOne(10, 200, -3.0), 10);
    EXPECT_EQ(BlendMaskOne(10, 200, 1e300), 200);
    EXPECT_EQ(BlendOne(10, 200, std::nan("")), 10);
}

// Source 7 × 6 onto 4 × 3 centred: the origin is (−1, −1).
TEST(HostBlend, CentreWithALargerSourceDrawsTheMiddle) {
    TGuardedBitmap dst(4, 3), src(7, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            src.Set(x, y, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9);
    TGuardedBitmap masked(4, 3);
    Blend(dst.View(), 50, 50, src.View(), 1.0, false, true);
    BlendMask(masked.View(), 50, 50, src.View(), TMask(7, 6).View(), 1.0, false, true);
    for (TGuardedBitmap* b : {&dst, &masked}) {
        EXPECT_EQ(b->Pixel(0, 0)[0], 1);
        EXPECT_EQ(b->Pixel(0, 0)[1], 1);
        EXPECT_EQ(b->Pixel(3, 2)[0], 4);
        EXPECT_EQ(b->Pixel(3, 2)[1], 3);
        EXPECT_TRUE(b->GuardsIntact());
    }
}

TEST(HostBlend, CentreWithASmallerSourceIgnoresTheOrigin) {
    TGuardedBitmap dst(5, 4), src(2, 1, 200);
    Blend(dst.View(), -100, -100, src.View(), 1.0, false, true);
    // (5 − 2) / 2 = 1, (4 − 1) / 2 = 1: pixels (1, 1) and (2, 1).
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dst.Pixel(x, y)[0], y == 1 && (x == 1 || x == 2) ? 200 : 0) << x << "," << y;
}

// A 3 × 3 source at many origins around a 5 × 4 destination: exactly the
// overlap changes, and nothing outside the pixels.
TEST(HostBlend, OnlyTheOverlapChangesAtEveryEdge) {
    const int w = 5, h = 4;
    const int origins[] = {INT_MIN, -3, -2, -1, 0, 1, 3, 4, 5, INT_MAX};
    TGuardedBitmap src(3, 3, 200);
    const TMask mask(3, 3);
    for (int ox : origins)
        for (int oy : origins)
            for (bool masked : {false, true}) {
                TGuardedBitmap dst(w, h, 10);
                if (masked)
                    BlendMask(dst.View(), ox, oy, src.View(), mask.View(), 1.0, false, false);
                else
                    Blend(dst.View(), ox, oy, src.View(), 1.0, false, false);
                ASSERT_TRUE(dst.GuardsIntact()) << ox << "," << oy << " masked " << masked;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const long long c = static_cast<long long>(x) - ox;
                        const long long r = static_cast<long long>(y) - oy;
                        const bool inside = c >= 0 && c < 3 && r >= 0 && r < 3;
                        ASSERT_EQ(dst.Pixel(x, y)[1], inside ? 200 : 10)
                            << ox << "," << oy << " pixel " << x << "," << y;
                    }
            }
}

TEST(HostBlendMask, SetBitsSelectPixelsMostSignificantFirst) {
    TGuardedBitmap dst(10, 2), src(10, 2, 100);
    TMask mask(10, 2, 0);
    mask.Bytes[0] = 0x80; // row 0: pixel 0
    mask.Bytes[5] = 0x40; // row 1: pixel 9
    BlendMask(dst.View(), 0, 0, src.View(), mask.View(), 1.0, false, false);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(dst.Pixel(x, y)[2], (x == 0 && y == 0) || (x == 9 && y == 1) ? 100 : 0)
                << x << "," << y;
}

TEST(HostBlendMask, AnEmptyMaskChangesNothing) {
    TGuardedBitmap dst(9, 3, 7), src(9, 3, 250);
    BlendMask(dst.View(), 0, 0, src.View(), TMask(9, 3, 0).View(), 0.7, true, false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(dst.Pixel(x, y)[0], 7);
}

TEST(HostBlendMask, PixelsBeyondASmallerMaskDoNotTakePart) {
    TGuardedBitmap dst(4, 2), src(4, 2, 90);
    BlendMask(dst.View(), 0, 0, src.View(), TMask(2, 1).View(), 1.0, false, false);
    EXPECT_EQ(dst.Pixel(1, 0)[0], 90);
    EXPECT_EQ(dst.Pixel(2, 0)[0], 0);
    EXPECT_EQ(dst.Pixel(0, 1)[0], 0);
}

TEST(HostBlendMask, SourcesAreTakenUpTo32767Pixels) {
    const int wide = 32768;
    TGuardedBitmap dst(wide, 1), src(wide, 1, 60);
    BlendMask(dst.View(), 0, 0, src.View(), TMask(wide, 1).View(), 1.0, false, false);
    EXPECT_EQ(dst.Pixel(32766, 0)[0], 60);
    EXPECT_EQ(dst.Pixel(32767, 0)[0], 0);
    EXPECT_TRUE(dst.GuardsIntact());
}

TEST(DecBrightness, EachPassTakesTwentySixThirtySecondsRoundingDown) {
    TGuardedBitmap b(3, 3, 255);
    DecBrightness(b.View(), 0, 0, 3, 3, 1);
    EXPECT_EQ(b.Pixel(1, 1)[0], 207);
    DecBrightness(b.View(), 0, 0, 3, 3, 1);
    EXPECT_EQ(b.Pixel(1, 1)[0], 168);
    TGuardedBitmap twice(3, 3, 255);
    DecBrightness(twice.View(), 0, 0, 3, 3, 2);
    EXPECT_EQ(twice.Pixel(2, 2)[2], 168);
}

TEST(DecBrightness, ManyPassesMatchRepeatedSinglePasses) {
    // One row holding every byte value.
    TGuardedBitmap many(86, 1), single(86, 1);
    for (int v = 0; v < 256; ++v)
        many.Row(0)[v] = single.Row(0)[v] = static_cast<std::uint8_t>(v);
    DecBrightness(many.View(), 0, -1, 86, 1, 5);
    for (int pass = 0; pass < 5; ++pass)
        DecBrightness(single.View(), 0, -1, 86, 1, 1);
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(many.Row(0)[v], single.Row(0)[v]) << v;
    EXPECT_EQ(many.Row(0)[255], 89); // 255, 207, 168, 136, 110, 89
}

TEST(DecBrightness, ThinRectanglesAndZeroPassesChangeNothing) {
    TGuardedBitmap b(4, 4, 200);
    DecBrightness(b.View(), 1, 0, 2, 4, 3); // 1 pixel wide
    DecBrightness(b.View(), 0, 2, 4, 3, 3); // 1 pixel high
    DecBrightness(b.View(), 3, 3, 1, 1, 3); // reversed
    DecBrightness(b.View(), 0, 0, 4, 4, 0); // no pass
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b.Pixel(x, y)[1], 200);
}

// The width test applies to the rectangle as given; clipping comes after.
TEST(DecBrightness, IsClippedToTheBitmapAtEveryEdge) {
    struct TCase {
        int Left, Top, Right, Bottom;
        TRect Inside;
    };
    const TCase cases[] = {
        {-5, -5, 9, 9, {0, 0, 4, 3}},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, {0, 0, 4, 3}},
        {-2, 0, 1, 3, {0, 0, 1, 3}},
        {3, 2, 10, 10, {3, 2, 4, 3}},
        {2, -9, 6, 1, {2, 0, 4, 1}},
        {4, 0, 9, 3, {}},
        {0, -5, 4, 0, {}},
    };
    for (const TCase& c : cases) {
        TGuardedBitmap b(4, 3, 255);
        DecBrightness(b.View(), c.Left, c.Top, c.Right, c.Bottom, 1);
        ASSERT_TRUE(b.GuardsIntact()) << c.Left << "," << c.Top;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                const bool in = x >= c.Inside.Left && x < c.Inside.Right && y >= c.Inside.Top &&
                                y < c.Inside.Bottom;
                EXPECT_EQ(b.Pixel(x, y)[0], in ? 207 : 255)
                    << c.Left << "," << c.Top << " pixel " << x << "," << y;
            }
    }
}

TEST(SoundBitmapHeader, AcceptsPaddedRowsOfTwentyFourAndOneBit) {
    int bits = 0;
    EXPECT_TRUE(SoundBitmapHeader(3, 2, 24, 12, &bits)); // 9 bytes padded to 12
    EXPECT_TRUE(SoundBitmapHeader(3, 2, 24, 16, &bits)); // wider is harmless
    EXPECT_FALSE(SoundBitmapHeader(3, 2, 24, 9, &bits)); // unpadded
    EXPECT_TRUE(SoundBitmapHeader(33, 1, 1, 8, &bits));  // 5 bytes padded to 8
    EXPECT_FALSE(SoundBitmapHeader(33, 1, 1, 5, &bits));
    EXPECT_TRUE(SoundBitmapHeader(32, 1, 1, 4, &bits));
}

TEST(SoundBitmapHeader, RefusesWhatCannotBeWalked) {
    int bits = 0;
    EXPECT_FALSE(SoundBitmapHeader(3, 2, 24, 12, nullptr));
    EXPECT_FALSE(SoundBitmapHeader(0, 2, 24, 12, &bits));
    EXPECT_FALSE(SoundBitmapHeader(3, 0, 24, 12, &bits));
    EXPECT_FALSE(SoundBitmapHeader(3, -2, 24, 12, &bits));
    EXPECT_FALSE(SoundBitmapHeader(3, 2, 24, -12, &bits)); // bottom-up rows
    EXPECT_FALSE(SoundBitmapHeader(3, 2, 32, 12, &bits));
    EXPECT_FALSE(SoundBitmapHeader(3, 2, 8, 12, &bits));
    // The padded row of the widest bitmap does not fit a 32-bit stride.
    EXPECT_FALSE(SoundBitmapHeader(INT32_MAX, 1, 24, INT32_MAX, &bits));
    EXPECT_TRUE(SoundBitmapHeader(INT32_MAX, 1, 1, INT32_MAX, &bits));
}

} // namespace
} // namespace glimra
