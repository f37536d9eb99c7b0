#include "tessel/bitmap_resources.h"
#include "tessel/dib_bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace glimra::tessel {
namespace {

bool OnGrid(int x, int y) {
    auto line = [](int v) { return v >= 1 && v <= 61 && (v - 1) % 6 == 0; };
    return (line(y) && x >= 1 && x <= 61) || (line(x) && y >= 1 && y <= 61);
}

std::int32_t Field32(const unsigned char* bmp, int at) {
    std::int32_t v;
    std::memcpy(&v, bmp + at, 4);
    return v;
}

TEST(TesselBitmaps, StoredAsBottomUpPaletteFilesOfTheirDepth) {
    EXPECT_EQ(Field32(GridBmp, 18), 64);
    EXPECT_EQ(Field32(GridBmp, 22), 64); // positive height: bottom-up
    EXPECT_EQ(GridBmp[28], 8);
    EXPECT_EQ(Field32(MaskBmp, 22), 64);
    EXPECT_EQ(MaskBmp[28], 1);
    // The first stored row is the bottom one, which is black.
    const std::int32_t gridBits = Field32(GridBmp, 10);
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(GridBmp[gridBits + x], 0) << x;
}

TEST(TesselBitmaps, GridDecodesToTheColouredLinesOnBlack) {
    const DibBitmap grid = DecodeBmp(GridBmp, GridBmpSize);
    ASSERT_EQ(grid.Width(), 64);
    ASSERT_EQ(grid.Height(), 64);
    ASSERT_EQ(grid.BitCount(), 24);
    int lit = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            ASSERT_EQ(grid.Pixel(x, y), OnGrid(x, y) ? 0x406080u : 0u) << x << "," << y;
            lit += OnGrid(x, y);
        }
    EXPECT_EQ(lit, 11 * 61 * 2 - 11 * 11);
    EXPECT_EQ(grid.Pixel(1, 1), 0x406080u); // top-left corner of the grid, not flipped
    EXPECT_EQ(grid.Pixel(62, 61), 0u);
}

TEST(TesselBitmaps, MaskSelectsExactlyTheGridPixels) {
    const DibBitmap mask = ToMask(DecodeBmp(MaskBmp, MaskBmpSize));
    ASSERT_EQ(mask.BitCount(), 1);
    ASSERT_EQ(mask.Stride(), 8);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(mask.Bit(x, y), OnGrid(x, y)) << x << "," << y;
}

// A 3 x 2 top-down 24-bit file: rows padded to 12 bytes.
std::vector<unsigned char> SmallTopDown() {
    std::vector<unsigned char> f(54 + 24, 0);
    f[0] = 'B';
    f[1] = 'M';
    f[10] = 54;
    f[14] = 40;
    f[18] = 3;
    const std::int32_t height = -2;
    std::memcpy(&f[22], &height, 4);
    f[26] = 1;
    f[28] = 24;
    f[54] = 0x11;          // first row, first pixel: blue
    f[54 + 12 + 8] = 0x22; // second row, last pixel: red
    return f;
}

TEST(TesselBitmaps, DecodesTopDownTrueColourAndRefusesWhatItCannotRead) {
    auto f = SmallTopDown();
    const DibBitmap ok = DecodeBmp(f.data(), f.size());
    ASSERT_FALSE(ok.Empty());
    EXPECT_EQ(ok.Pixel(0, 0), 0x000011u);
    EXPECT_EQ(ok.Pixel(2, 1), 0x220000u);

    EXPECT_TRUE(DecodeBmp(f.data(), f.size() - 1).Empty()); // pixels cut short
    EXPECT_TRUE(DecodeBmp(GridBmp, 60).Empty());            // palette cut short
    auto rle = f;
    rle[30] = 1;
    EXPECT_TRUE(DecodeBmp(rle.data(), rle.size()).Empty());
    auto magic = f;
    magic[0] = 'X';
    EXPECT_TRUE(DecodeBmp(magic.data(), magic.size()).Empty());
    EXPECT_TRUE(DecodeBmp(nullptr, 0).Empty());
}

} // namespace
} // namespace glimra::tessel
