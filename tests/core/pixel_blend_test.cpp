#include "graphics/blend.h"
#include "graphics/ink_picture.h"
#include "graphics/pixel_ops.h"
#include "graphics/row_extents.h"
#include "guarded_bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace glimra {
namespace {

TEST(BlendPicture, MixesToNearestWithHalvesToEven) {
    TGuardedBitmap back(1, 1), pic(1, 1, 21);
    back.Set(0, 0, 10, 11, 12);
    BlendPicture(back.View(), pic.View(), false, 0.5);
    EXPECT_EQ(back.Pixel(0, 0)[0], 16); // 15.5 goes to the even 16
    EXPECT_EQ(back.Pixel(0, 0)[1], 16); // 16.0
    EXPECT_EQ(back.Pixel(0, 0)[2], 16); // 16.5 goes to the even 16
}

TEST(BlendPicture, LightenTakesTheLighterByteWhateverTheLevel) {
    TGuardedBitmap back(2, 1), pic(2, 1);
    back.Set(0, 0, 10, 200, 0);
    back.Set(1, 0, 90, 90, 90);
    pic.Set(0, 0, 50, 100, 0);
    pic.Set(1, 0, 91, 1, 255);
    BlendPicture(back.View(), pic.View(), true, 0.0);
    EXPECT_EQ(back.Pixel(0, 0)[0], 50);
    EXPECT_EQ(back.Pixel(0, 0)[1], 200);
    EXPECT_EQ(back.Pixel(1, 0)[0], 91);
    EXPECT_EQ(back.Pixel(1, 0)[1], 90);
    EXPECT_EQ(back.Pixel(1, 0)[2], 255);
}

TEST(BlendPicture, CentresAndClipsALargerPicture) {
    TGuardedBitmap back(4, 3, 0), pic(7, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            pic.Set(x, y, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9);
    BlendPicture(back.View(), pic.View(), false, 1.0);
    // x0 = (4 − 7) / 2 = −1, y0 = (3 − 6) / 2 = −1: back (0,0) shows pic (1,1).
    EXPECT_EQ(back.Pixel(0, 0)[0], 1);
    EXPECT_EQ(back.Pixel(0, 0)[1], 1);
    EXPECT_EQ(back.Pixel(3, 2)[0], 4);
    EXPECT_EQ(back.Pixel(3, 2)[1], 3);
    EXPECT_TRUE(back.GuardsIntact());
}

TEST(BlendPicture, CentresASmallerPicture) {
    TGuardedBitmap back(5, 5, 0), pic(2, 2, 200);
    BlendPicture(back.View(), pic.View(), false, 1.0);
    // x0 = y0 = 1: pixels (1..2, 1..2) are the picture.
    EXPECT_EQ(back.Pixel(1, 1)[0], 200);
    EXPECT_EQ(back.Pixel(2, 2)[2], 200);
    EXPECT_EQ(back.Pixel(3, 3)[0], 0);
    EXPECT_EQ(back.Pixel(0, 0)[0], 0);
}

TEST(BlendPicture, LevelAboveOneHundredSaturates) {
    TGuardedBitmap back(1, 1), pic(1, 1);
    back.Set(0, 0, 100, 200, 0);
    pic.Set(0, 0, 250, 10, 0);
    BlendPicture(back.View(), pic.View(), false, 2.55);
    EXPECT_EQ(back.Pixel(0, 0)[0], 255); // 100 − 155 + 637.5
    EXPECT_EQ(back.Pixel(0, 0)[1], 0);   // 200 × −1.55 + 25.5
    EXPECT_EQ(back.Pixel(0, 0)[2], 0);
}

TEST(BlendPictureMasked, TopBitIsTheLeftmostPixel) {
    TGuardedBitmap back(10, 2, 0), pic(10, 2, 100);
    // Row 0: only pixel 0 white; row 1: bits for pixels 8 and 9 set.
    const std::uint8_t mask[] = {0x80, 0x00, 0, 0, 0x00, 0xC0, 0, 0};
    BlendPictureMasked(back.View(), pic.View(), {mask, 10, 2, 4}, false, 1.0);
    EXPECT_EQ(back.Pixel(0, 0)[0], 0);
    for (int x = 1; x < 10; ++x)
        EXPECT_EQ(back.Pixel(x, 0)[0], 100) << x;
    EXPECT_EQ(back.Pixel(7, 1)[0], 100);
    EXPECT_EQ(back.Pixel(8, 1)[0], 0);
    EXPECT_EQ(back.Pixel(9, 1)[0], 0);
}

TEST(BlendPictureMasked, ASmallerMaskKeepsTheBackgroundBeyondIt) {
    TGuardedBitmap back(4, 4, 0), pic(4, 4, 100);
    const std::uint8_t mask[] = {0x00, 0x00}; // 2 × 2, all black
    BlendPictureMasked(back.View(), pic.View(), {mask, 2, 2, 1}, false, 1.0);
    EXPECT_EQ(back.Pixel(1, 1)[0], 100);
    EXPECT_EQ(back.Pixel(2, 0)[0], 0);
    EXPECT_EQ(back.Pixel(0, 2)[0], 0);
    BlendPictureMasked(back.View(), pic.View(), {}, false, 1.0); // no mask at all
    EXPECT_EQ(back.Pixel(3, 3)[0], 0);
    EXPECT_TRUE(back.GuardsIntact());
}

TEST(PixelOps, CopyRectClipsToBothBitmaps) {
    TGuardedBitmap src(4, 4), dst(3, 3, 7);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.Set(x, y, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 1);
    // The source rectangle starts outside src and ends beyond dst.
    CopyRect(dst.View(), 0, 0, src.View(), {-1, 1, 5, 5});
    EXPECT_EQ(dst.Pixel(0, 0)[0], 7); // would come from column −1
    EXPECT_EQ(dst.Pixel(1, 0)[0], 0);
    EXPECT_EQ(dst.Pixel(1, 0)[1], 1);
    EXPECT_EQ(dst.Pixel(2, 2)[0], 1);
    EXPECT_EQ(dst.Pixel(2, 2)[1], 3);
    CopyRect(dst.View(), -100, 50, src.View(), {0, 0, 4, 4});
    CopyRect(dst.View(), 0, 0, src.View(), {9, 9, 20, 20});
    EXPECT_TRUE(dst.GuardsIntact());
}

TEST(PixelOps, StretchCopyMagnifiesByNearestPixel) {
    TGuardedBitmap src(60, 30), dst(100, 50);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            src.Set(x, y, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0);
    StretchCopy(dst.View(), {0, 0, 100, 50}, src.View(), {0, 0, 60, 30});
    EXPECT_EQ(dst.Pixel(0, 0)[0], 0);
    EXPECT_EQ(dst.Pixel(99, 49)[0], 59);
    EXPECT_EQ(dst.Pixel(99, 49)[1], 29);
    EXPECT_EQ(dst.Pixel(50, 25)[0], 30);
    EXPECT_EQ(dst.Pixel(50, 25)[1], 15);
    // A destination reaching outside, and a source partly outside.
    StretchCopy(dst.View(), {-50, -50, 200, 200}, src.View(), {-10, -10, 70, 40});
    EXPECT_TRUE(dst.GuardsIntact());
}

} // namespace
} // namespace glimra

namespace glimra {
namespace {

// Premultiplied text over the picture: blank leaves it, solid replaces it, an edge
// mixes; whatever lies outside the picture is skipped, the guard bytes included.
TEST(BlendPremultiplied, SourceOverClippedToThePicture) {
    TGuardedBitmap back(3, 2, 100);
    // Four pixels at (-1, 1): blank, solid, half, blank; only x 0 and 1 land.
    const std::uint8_t bgra[] = {9, 9, 9, 0, 10, 20, 30, 255, 64, 0, 128, 128, 9, 9, 9, 0};
    BlendPremultiplied(back.View(), -1, 1, bgra, 4, 1, sizeof bgra);
    EXPECT_EQ(back.Pixel(0, 1)[0], 10);
    EXPECT_EQ(back.Pixel(0, 1)[2], 30);
    EXPECT_EQ(back.Pixel(1, 1)[0], 64 + 50); // 100 * 127 / 255, rounded
    EXPECT_EQ(back.Pixel(1, 1)[1], 0 + 50);
    EXPECT_EQ(back.Pixel(1, 1)[2], 128 + 50);
    EXPECT_EQ(back.Pixel(2, 1)[0], 100);
    EXPECT_EQ(back.Pixel(0, 0)[0], 100);
}

// A line wider than one group of four: clear groups are skipped, mixed groups and
// the leftover pixels blended one by one, every pixel as the rule for one pixel says.
TEST(BlendPremultiplied, WideLinesBlendEveryPixelLikeOne) {
    constexpr int width = 11;
    std::uint8_t bgra[width * 4] = {};
    for (int x : {4, 6, 9, 10}) {
        const std::uint8_t a = static_cast<std::uint8_t>(x == 6 ? 255 : 40 * x % 256);
        bgra[x * 4 + 0] = static_cast<std::uint8_t>(a / 2);
        bgra[x * 4 + 1] = static_cast<std::uint8_t>(a / 3);
        bgra[x * 4 + 2] = a;
        bgra[x * 4 + 3] = a;
    }
    TGuardedBitmap wide(width, 1, 200);
    BlendPremultiplied(wide.View(), 0, 0, bgra, width, 1, sizeof bgra);
    for (int x = 0; x < width; ++x) {
        TGuardedBitmap one(1, 1, 200);
        BlendPremultiplied(one.View(), 0, 0, bgra + x * 4, 1, 1, 4);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(wide.Pixel(x, 0)[c], one.Pixel(0, 0)[c]) << "pixel " << x;
    }
    EXPECT_EQ(wide.Pixel(0, 0)[0], 200);
    EXPECT_EQ(wide.Pixel(6, 0)[2], 255);
    EXPECT_NE(wide.Pixel(10, 0)[2], 200);
}

TEST(CopyToXrgb, CopiesOnlyTheRectangleAsOpaqueWords) {
    TGuardedBitmap src(3, 2);
    src.Set(1, 1, 1, 2, 3);
    src.Set(2, 1, 4, 5, 6);
    std::uint8_t xrgb[2][12] = {};
    CopyToXrgb(src.View(), {1, 1, 9, 9}, &xrgb[0][0], 12);
    const std::uint8_t row1[12] = {0, 0, 0, 0, 1, 2, 3, 255, 4, 5, 6, 255};
    EXPECT_TRUE(std::equal(row1, row1 + 12, xrgb[1]));
    EXPECT_TRUE(std::all_of(xrgb[0], xrgb[0] + 12, [](std::uint8_t b) { return b == 0; }));
}

// Rows of every length up to well past the groups the row blend takes at once, with
// and without spare pixels after them: each pixel ends as blending it alone gives,
// and nothing after the row is changed.
TEST(BlendPremultiplied, RowsOfEveryLengthBlendLikeOnePixelAtATime) {
    for (int count = 1; count <= 23; ++count) {
        std::vector<std::uint8_t> bgra(static_cast<std::size_t>(count) * 4);
        for (int x = 0; x < count; ++x) {
            const auto a = static_cast<std::uint8_t>(x % 3 == 0 ? 0 : x % 3 == 1 ? 255 : 37 * x);
            bgra[x * 4 + 0] = static_cast<std::uint8_t>(a / 2);
            bgra[x * 4 + 1] = static_cast<std::uint8_t>(a / 5);
            bgra[x * 4 + 2] = a;
            bgra[x * 4 + 3] = a;
        }
        for (int spare : {0, 1, 2, 3}) {
            // The guards sit right after the spare pixels.
            TGuardedBitmap row(count + spare, 1, 90);
            for (int x = 0; x < count + spare; ++x)
                row.Set(x, 0, static_cast<std::uint8_t>(x * 7), 90,
                        static_cast<std::uint8_t>(200 - x));
            TGuardedBitmap before = row;
            BlendPremultipliedRow(row.Pixel(0, 0), bgra.data(), count, spare);
            for (int x = 0; x < count; ++x) {
                TGuardedBitmap alone(1, 1);
                std::copy_n(before.Pixel(x, 0), 3, alone.Pixel(0, 0));
                BlendPremultipliedRow(alone.Pixel(0, 0), &bgra[x * 4], 1);
                EXPECT_TRUE(std::equal(alone.Pixel(0, 0), alone.Pixel(0, 0) + 3, row.Pixel(x, 0)))
                    << "pixel " << x << " of " << count << ", spare " << spare;
            }
            for (int x = count; x < count + spare; ++x)
                EXPECT_TRUE(std::equal(row.Pixel(x, 0), row.Pixel(x, 0) + 3, before.Pixel(x, 0)))
                    << "after the row: " << x << " of " << count;
            EXPECT_TRUE(row.GuardsIntact()) << count << ", spare " << spare;
        }
    }
}

// Any picture the converter is given: rows of every width around a group of four,
// every pixel opaque and in its place, nothing outside the rectangle written, to rows
// starting anywhere in a sixteen-byte line.
TEST(CopyToXrgb, EveryWidthConvertsEveryPixel) {
    for (int width = 1; width <= 21; ++width) {
        TGuardedBitmap src(width, 2);
        for (int x = 0; x < width; ++x)
            src.Set(x, 1, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x + 100),
                    static_cast<std::uint8_t>(x + 200));
        for (const int offset : {0, 1, 4, 8, 12}) {
            const std::ptrdiff_t stride = (width + 2) * 4;
            alignas(16) std::array<std::uint8_t, 23 * 4 * 2 + 16> buffer;
            buffer.fill(238);
            std::uint8_t* xrgb = buffer.data() + offset;
            CopyToXrgb(src.View(), {0, 1, width, 2}, xrgb, stride);
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = xrgb + stride + x * 4;
                ASSERT_TRUE(p[0] == x && p[1] == x + 100 && p[2] == x + 200 && p[3] == 255)
                    << "pixel " << x << " of " << width << ", offset " << offset;
            }
            const auto written = [&](std::ptrdiff_t i) { return buffer[i] != 238; };
            for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(buffer.size()); ++i)
                ASSERT_EQ(written(i), i >= offset + stride && i < offset + stride + width * 4)
                    << "byte " << i << ", width " << width << ", offset " << offset;
        }
    }
}

// Text pictures of clear, solid and mixed pixels: laid through their ink alone they
// give exactly what blending the whole picture gives, wherever they land, partly
// outside the bitmap included, and keep far fewer pixels than the picture has.
std::uint32_t NextRandom(std::uint32_t& seed) {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
}

// A premultiplied picture, mostly clear, the rest solid or an edge, its runs broken by
// short and long gaps; clear rows where gapRows.
std::vector<std::uint8_t> SpeckledInk(int w, int h, std::uint32_t seed, int gapRows = 0) {
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(w) * h * 4, 0);
    for (int i = 0; i < w * h; ++i) {
        const unsigned r = NextRandom(seed);
        const unsigned pick = (r >> 8) % 10;
        const std::uint8_t a = (gapRows > 0 && (i / w) % gapRows == 0) || pick < 6 ? 0
                               : pick < 8                                          ? 255
                                          : static_cast<std::uint8_t>(r);
        std::uint8_t* p = &bgra[static_cast<std::size_t>(i) * 4];
        p[0] = static_cast<std::uint8_t>(a * 3 / 4);
        p[1] = static_cast<std::uint8_t>(a / 2);
        p[2] = a;
        p[3] = a;
    }
    return bgra;
}

TEST(InkPicture, BlendsLikeTheWholePictureAndKeepsOnlyTheInk) {
    constexpr int w = 37, h = 9;
    const std::vector<std::uint8_t> bgra = SpeckledInk(w, h, 12345);
    const TInkPicture ink(bgra.data(), w, h, w * 4);
    EXPECT_LT(ink.Pixels(), static_cast<std::size_t>(w * h));
    for (const auto& [dx, dy] : {std::pair{0, 0}, {5, 3}, {-7, -2}, {20, 12}, {-40, 0}}) {
        TGuardedBitmap whole(30, 14, 90), runs(30, 14, 90);
        BlendPremultiplied(whole.View(), dx, dy, bgra.data(), w, h, w * 4);
        TRowExtents touched;
        touched.Reset(14);
        ink.BlendOnto(runs.View(), dx, dy, &touched);
        for (int y = 0; y < 14; ++y)
            EXPECT_TRUE(std::equal(whole.Row(y), whole.Row(y) + 90, runs.Row(y)))
                << "row " << y << " at " << dx << "," << dy;
        // Every pixel the ink changed lies in its row's noted span.
        std::vector<std::pair<int, int>> spans(14, {0, 0});
        touched.ForEach([&spans](int y, int left, int right) { spans[y] = {left, right}; });
        const std::uint8_t untouched[3] = {90, 90, 90};
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 30; ++x) {
                const bool changed = !std::equal(untouched, untouched + 3, runs.Pixel(x, y));
                EXPECT_TRUE(!changed || (x >= spans[y].first && x < spans[y].second))
                    << x << "," << y << " at " << dx << "," << dy;
            }
        }
        EXPECT_TRUE(runs.GuardsIntact());
    }
    const std::uint8_t clear[16] = {};
    EXPECT_EQ(TInkPicture(clear, 4, 1, 16).Pixels(), 0u);
}

// Laying ink while bringing rows back to a base is the same as copying the rows back
// and laying the ink after: spans that start and end inside runs, between them and
// beyond the ink, rows with no span, and outside the spans a picture that differs from
// the base (there the base must not be written, not even a byte past a span).
TEST(InkPicture, RestoringRowsWhileLayingIsCopyingThemBackFirst) {
    constexpr int w = 61, h = 12, W = 70, H = 16;
    std::uint32_t seed = 777;
    for (int round = 0; round < 60; ++round) {
        const std::vector<std::uint8_t> bgra = SpeckledInk(w, h, seed + round, 5);
        const TInkPicture ink(bgra.data(), w, h, w * 4);
        TGuardedBitmap base(W, H), shown(W, H), expected(W, H);
        for (int y = 0; y < H; ++y)
            for (int i = 0; i < W * 3; ++i) {
                base.Row(y)[i] = static_cast<std::uint8_t>(NextRandom(seed));
                shown.Row(y)[i] = expected.Row(y)[i] = static_cast<std::uint8_t>(NextRandom(seed));
            }
        TRowExtents pending;
        pending.Reset(H);
        for (int y = 0; y < H; ++y) {
            const int left = static_cast<int>(NextRandom(seed) % W);
            const int right = left + static_cast<int>(NextRandom(seed) % (W - left + 1));
            if (NextRandom(seed) % 4 != 0 && left < right) {
                pending.Add(y, left, right);
                CopyRect(expected.View(), left, y, base.View(), {left, y, right, y + 1});
            }
        }
        const int dx = static_cast<int>(NextRandom(seed) % 20) - 5;
        const int dy = static_cast<int>(NextRandom(seed) % 8) - 2;
        ink.BlendOnto(expected.View(), dx, dy);
        const TInkPicture::TRestore restore{base.View(), &pending};
        ink.BlendOnto(shown.View(), dx, dy, nullptr, &restore);
        pending.ForEach([&](int y, int left, int right) {
            CopyRect(shown.View(), left, y, base.View(), {left, y, right, y + 1});
        });
        for (int y = 0; y < H; ++y)
            ASSERT_TRUE(std::equal(expected.Row(y), expected.Row(y) + W * 3, shown.Row(y)))
                << "round " << round << " row " << y << " at " << dx << "," << dy;
        ASSERT_TRUE(shown.GuardsIntact());
    }
}

} // namespace
} // namespace glimra

namespace glimra {
namespace {

// Pieces drawn in a row widen its one span; rows outside the picture and empty pieces
// are left out; the bounds hold every span and nothing else.
TEST(RowExtents, OneSpanPerRowFromTheLeftmostToTheRightmost) {
    TRowExtents drawn;
    drawn.Reset(10);
    EXPECT_TRUE(drawn.Bounds().IsEmpty());
    drawn.Add(3, 40, 50);
    drawn.Add(3, 10, 12);
    drawn.Add(5, 20, 20);
    drawn.Add(-1, 0, 99);
    drawn.Add(10, 0, 99);
    drawn.Add(TRect{30, 6, 35, 8});
    std::vector<std::array<int, 3>> rows;
    drawn.ForEach([&rows](int y, int left, int right) { rows.push_back({y, left, right}); });
    EXPECT_EQ(rows, (std::vector<std::array<int, 3>>{{3, 10, 50}, {6, 30, 35}, {7, 30, 35}}));
    EXPECT_EQ(drawn.Bounds(), (TRect{10, 3, 50, 8}));
    drawn.Reset(10);
    EXPECT_TRUE(drawn.Bounds().IsEmpty());
}

} // namespace
} // namespace glimra

namespace glimra {
namespace {

// Any premultiplied picture: every alpha, colour bytes up to it and now and then above
// it (a broken picture), clear pixels holding junk colour bytes, both inside runs (a
// short clear stretch) and between them (a long one, clear rows).
std::vector<std::uint8_t> RandomInk(int w, int h, std::uint32_t& seed) {
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &bgra[(static_cast<std::size_t>(y) * w + x) * 4];
            for (int c = 0; c < 4; ++c)
                p[c] = static_cast<std::uint8_t>(NextRandom(seed));
            const bool clear = y % 4 == 1 || (x >= 20 && x < 40) || (x >= 50 && x < 57) ||
                               NextRandom(seed) % 3 == 0;
            if (clear)
                p[3] = 0;
            else if (NextRandom(seed) % 50 != 0)
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<std::uint8_t>(p[c] % (p[3] + 1));
        }
    }
    return bgra;
}

void Randomize(TGuardedBitmap& bitmap, std::uint32_t& seed) {
    for (int y = 0; y < bitmap.Height; ++y)
        for (int i = 0; i < bitmap.Width * 3; ++i)
            bitmap.Row(y)[i] = static_cast<std::uint8_t>(NextRandom(seed));
}

// Ink kept in its own form lays exactly as its premultiplied picture blends, over any
// picture, wherever it lands, and while rows are brought back to a base: there the
// picture blended is the base's row span copied back first.
TEST(InkPicture, AnyInkLaysLikeItsPremultipliedPicture) {
    constexpr int w = 67, h = 10, W = 72, H = 14;
    std::uint32_t seed = 4242;
    for (int round = 0; round < 80; ++round) {
        const bool restoring = round % 2 == 1;
        const std::vector<std::uint8_t> bgra = RandomInk(w, h, seed);
        const TInkPicture ink(bgra.data(), w, h, w * 4);
        TGuardedBitmap base(W, H), shown(W, H), expected(W, H);
        Randomize(base, seed);
        Randomize(shown, seed);
        for (int y = 0; y < H; ++y)
            std::copy_n(shown.Row(y), W * 3, expected.Row(y));
        TRowExtents pending;
        pending.Reset(H);
        for (int y = 0; restoring && y < H; ++y) {
            const int left = static_cast<int>(NextRandom(seed) % W);
            const int right = left + static_cast<int>(NextRandom(seed) % (W - left + 1));
            pending.Add(y, left, right);
            CopyRect(expected.View(), left, y, base.View(), {left, y, right, y + 1});
        }
        const int dx = static_cast<int>(NextRandom(seed) % 24) - 12;
        const int dy = static_cast<int>(NextRandom(seed) % 10) - 4;
        BlendPremultiplied(expected.View(), dx, dy, bgra.data(), w, h, w * 4);
        const TInkPicture::TRestore restore{base.View(), &pending};
        ink.BlendOnto(shown.View(), dx, dy, nullptr, restoring ? &restore : nullptr);
        pending.ForEach([&](int y, int left, int right) {
            CopyRect(shown.View(), left, y, base.View(), {left, y, right, y + 1});
        });
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_TRUE(
                    std::equal(expected.Pixel(x, y), expected.Pixel(x, y) + 3, shown.Pixel(x, y)))
                    << "round " << round << " pixel " << x << "," << y << " at " << dx << "," << dy
                    << (restoring ? ", restoring" : "");
        ASSERT_TRUE(shown.GuardsIntact());
    }
}

// A colour byte above its alpha gives a sum past 255: it saturates, one pixel alone or
// in a group of four, in a row or laid as ink clipped anywhere.
TEST(BlendPremultiplied, ABrokenPixelSaturatesWhereverItFalls) {
    const std::uint8_t broken[4] = {200, 200, 200, 10}; // 200 + 245 under white
    for (int count = 1; count <= 11; ++count) {
        std::vector<std::uint8_t> bgra;
        for (int x = 0; x < count; ++x)
            bgra.insert(bgra.end(), broken, broken + 4);
        for (int spare : {0, 1, 2}) {
            TGuardedBitmap row(count + spare, 1, 255);
            BlendPremultipliedRow(row.Pixel(0, 0), bgra.data(), count, spare);
            for (int x = 0; x < count; ++x)
                EXPECT_EQ(row.Pixel(x, 0)[1], 255) << x << " of " << count << ", spare " << spare;
        }
        const TInkPicture ink(bgra.data(), count, 1, count * 4);
        for (int dx = -3; dx <= 3; ++dx) {
            TGuardedBitmap window(7, 1, 255);
            ink.BlendOnto(window.View(), dx, 0);
            for (int x = std::max(dx, 0); x < std::min(dx + count, 7); ++x)
                EXPECT_EQ(window.Pixel(x, 0)[1], 255) << x << " of " << count << " at " << dx;
        }
    }
}

} // namespace
} // namespace glimra
