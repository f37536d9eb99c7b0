#include "graphics/brightness.h"
#include "guarded_bitmap.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace glimra {
namespace {

// Fills every pixel with a colour that depends on its place.
void Pattern(TGuardedBitmap& bmp) {
    for (int y = 0; y < bmp.Height; ++y)
        for (int x = 0; x < bmp.Width; ++x)
            bmp.Set(x, y, static_cast<std::uint8_t>(x * 7 + y),
                    static_cast<std::uint8_t>(x + y * 3), static_cast<std::uint8_t>(255 - x));
}

TEST(AdjustBrightness, LevelZeroWithoutTintLeavesPixelsUnchangedBothWays) {
    for (bool reverse : {false, true}) {
        TGuardedBitmap bmp(37, 5), ref(37, 5);
        Pattern(bmp);
        Pattern(ref);
        AdjustBrightness(bmp.View(), 0, {0, 0, 0, reverse});
        for (int y = 0; y < 5; ++y)
            EXPECT_EQ(0, std::memcmp(bmp.Row(y), ref.Row(y), 37 * 3)) << reverse;
        EXPECT_TRUE(bmp.GuardsIntact());
    }
}

TEST(AdjustBrightness, LevelThirteenBlackensOrWhitens) {
    TGuardedBitmap dark(20, 3, 254), light(20, 3, 1);
    AdjustBrightness(dark.View(), 13, {});
    AdjustBrightness(light.View(), 13, {0, 0, 0, true});
    for (int y = 0; y < 3; ++y)
        for (int i = 0; i < 60; ++i) {
            EXPECT_EQ(dark.Row(y)[i], 0);
            EXPECT_EQ(light.Row(y)[i], 255);
        }
}

TEST(AdjustBrightness, TintsActPerChannel) {
    TGuardedBitmap bmp(1, 1);
    // Darkening: blue takes d + 5, green d + 0, red exactly its own value.
    bmp.Set(0, 0, 100, 100, 43);
    AdjustBrightness(bmp.View(), 2, {5, 0, 3, false});
    EXPECT_EQ(bmp.Pixel(0, 0)[0], 55);
    EXPECT_EQ(bmp.Pixel(0, 0)[1], 60);
    EXPECT_EQ(bmp.Pixel(0, 0)[2], 0);
    // Lightening: a tint larger than d leaves its channel alone, the rest saturates.
    bmp.Set(0, 0, 100, 250, 100);
    AdjustBrightness(bmp.View(), 1, {30, 0, 5, true});
    EXPECT_EQ(bmp.Pixel(0, 0)[0], 100);
    EXPECT_EQ(bmp.Pixel(0, 0)[1], 255);
    EXPECT_EQ(bmp.Pixel(0, 0)[2], 115);
}

TEST(AdjustBrightness, PaddedRowsKeepTheirColours) {
    // 1366 pixels: 4098 bytes of pixels in a 4100-byte row.
    EXPECT_EQ(DibStride(1366), 4100);
    TGuardedBitmap bmp(1366, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 1366; ++x)
            bmp.Set(x, y, static_cast<std::uint8_t>(10 * y + 100), 50, 200);
    AdjustBrightness(bmp.View(), 1, {1, 2, 3, false});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 1366; x += 13) {
            ASSERT_EQ(bmp.Pixel(x, y)[0], 10 * y + 100 - 21) << x << "," << y;
            ASSERT_EQ(bmp.Pixel(x, y)[1], 50 - 22);
            ASSERT_EQ(bmp.Pixel(x, y)[2], 200 - 23);
        }
    EXPECT_TRUE(bmp.GuardsIntact());
}

TEST(AdjustBrightness, WideRowsSaturateBothWaysEveryByte) {
    // 100 pixels: whole 48-byte groups and a tail, every value against every amount.
    for (bool reverse : {false, true}) {
        TGuardedBitmap bmp(100, 3), ref(100, 3);
        Pattern(bmp);
        Pattern(ref);
        AdjustBrightness(bmp.View(), 3, {7, 0, 90, reverse});
        const int amounts[3] = {60 + (reverse ? -7 : 7), 60,
                                std::max(0, 60 + (reverse ? -90 : 90))};
        for (int y = 0; y < 3; ++y)
            for (int i = 0; i < 300; ++i) {
                const int v = ref.Row(y)[i], a = amounts[i % 3];
                ASSERT_EQ(bmp.Row(y)[i], reverse ? std::min(255, v + a) : std::max(0, v - a))
                    << reverse << " " << i << "," << y;
            }
        EXPECT_TRUE(bmp.GuardsIntact());
    }
}

TEST(AdjustBrightness, EmptyAndTinyBitmapsAreSafe) {
    AdjustBrightness({}, 5, {});
    TGuardedBitmap one(1, 1, 30);
    AdjustBrightness(one.View(), 1, {1, 1, 1, false});
    EXPECT_EQ(one.Pixel(0, 0)[0], 9);
    EXPECT_TRUE(one.GuardsIntact());
}

TEST(ShadeRect, ShadesOnlyTheRectangle) {
    TGuardedBitmap bmp(10, 8, 100);
    ShadeRect(bmp.View(), {2, 3, 5, 6}, 1, {0, 0, 0, false});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 3 && y < 6;
            ASSERT_EQ(bmp.Pixel(x, y)[1], inside ? 80 : 100) << x << "," << y;
        }
    // Lightening uses d − tint.
    ShadeRect(bmp.View(), {0, 0, 2, 2}, 1, {0, 5, 0, true});
    EXPECT_EQ(bmp.Pixel(0, 0)[0], 120);
    EXPECT_EQ(bmp.Pixel(1, 1)[1], 115);
}

TEST(ShadeRect, ThinOrOutlyingRectanglesAreSafe) {
    TGuardedBitmap bmp(6, 6, 100);
    ShadeRect(bmp.View(), {0, 0, 1, 6}, 3, {});   // 1 wide
    ShadeRect(bmp.View(), {0, 0, 6, 1}, 3, {});   // 1 high
    ShadeRect(bmp.View(), {7, 7, 20, 20}, 3, {}); // outside
    ShadeRect(bmp.View(), {3, 2, 1, 0}, 3, {});   // inverted
    for (int y = 0; y < 6; ++y)
        for (int i = 0; i < 18; ++i)
            ASSERT_EQ(bmp.Row(y)[i], 100);
    // Partly outside: the inside part is shaded, nothing beyond is written.
    ShadeRect(bmp.View(), {-5, 4, 100, 100}, 1, {});
    EXPECT_EQ(bmp.Pixel(0, 4)[0], 80);
    EXPECT_EQ(bmp.Pixel(5, 5)[2], 80);
    EXPECT_EQ(bmp.Pixel(5, 3)[2], 100);
    EXPECT_TRUE(bmp.GuardsIntact());
    ShadeRect({}, {0, 0, 10, 10}, 1, {});
}

} // namespace
} // namespace glimra
