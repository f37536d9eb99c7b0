#include "graphics/warning_light.h"
#include "guarded_bitmap.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

constexpr int Red = 2, Green = 1;

TEST(WarningLight, StepsByHalfTheBandAndStartsOver) {
    TGuardedBitmap bmp(100, 12);
    TWarningLight light;
    std::vector<int> starts;
    for (int i = 0; i < 6; ++i) {
        starts.push_back(light.GetPosition());
        light.Step(bmp.View());
    }
    EXPECT_EQ(starts, (std::vector<int>{0, 20, 40, 60, 80, 0}));
    EXPECT_TRUE(bmp.GuardsIntact());
}

TEST(WarningLight, RampRisesThenFallsAndSaturates) {
    TGuardedBitmap bmp(100, 12, 0);
    TWarningLight light;
    light.Step(bmp.View());
    // 0, 10, …, 240, 250, then 235, 220, … along the band's 40 columns.
    EXPECT_EQ(bmp.Pixel(0, 0)[Red], 0);
    EXPECT_EQ(bmp.Pixel(1, 0)[Red], 10);
    EXPECT_EQ(bmp.Pixel(24, 0)[Red], 240);
    EXPECT_EQ(bmp.Pixel(25, 0)[Red], 250);
    EXPECT_EQ(bmp.Pixel(26, 0)[Red], 235);
    EXPECT_EQ(bmp.Pixel(39, 9)[Red], 250 - 14 * 15);
    EXPECT_EQ(bmp.Pixel(40, 0)[Red], 0);  // beyond the band
    EXPECT_EQ(bmp.Pixel(5, 10)[Red], 0);  // below the band's 10 rows
    EXPECT_EQ(bmp.Pixel(5, 0)[Green], 0); // other channels untouched

    TGuardedBitmap hot(40, 1);
    hot.Set(10, 0, 0, 0, 200);
    TWarningLight again;
    again.Step(hot.View());
    EXPECT_EQ(hot.Pixel(10, 0)[Red], 255); // 200 + 100, not 44
}

TEST(WarningLight, OtherRampsAndTheShortLastBand) {
    TGuardedBitmap bmp(100, 1, 0);
    TWarningLight light;
    light.StepUp = 5;
    light.StepDown = -8;
    light.SetSize(80, 1);
    light.Step(bmp.View());
    EXPECT_EQ(bmp.Pixel(49, 0)[Red], 245);
    EXPECT_EQ(bmp.Pixel(50, 0)[Red], 237);

    TGuardedBitmap end(100, 10, 0);
    TWarningLight band;
    for (int i = 0; i < 4; ++i)
        band.Step(end.View());
    EXPECT_EQ(band.GetPosition(), 80);
    TGuardedBitmap last(100, 10, 0);
    band.Step(last.View()); // only columns 80..99, the ramp restarting at 80
    EXPECT_EQ(last.Pixel(79, 0)[Red], 0);
    EXPECT_EQ(last.Pixel(80, 0)[Red], 0);
    EXPECT_EQ(last.Pixel(99, 0)[Red], 190);
    EXPECT_EQ(band.GetPosition(), 0);
    EXPECT_TRUE(last.GuardsIntact());
}

TEST(WarningLight, OddTargetsAndChannelsAreSafe) {
    TWarningLight light;
    light.Step({}); // no target: nothing, not even a move
    EXPECT_EQ(light.GetPosition(), 0);

    TGuardedBitmap bmp(30, 5, 7);
    light.SetTop(5); // below the last row
    light.Step(bmp.View());
    light.SetTop(-3);
    light.Step(bmp.View());
    light.Channel = 3; // brightens nothing but still advances
    light.SetTop(0);
    const int before = light.GetPosition();
    light.Step(bmp.View());
    EXPECT_NE(light.GetPosition(), before);
    // Only the step with Top −3 lit anything: rows 0..4 from column 20.
    EXPECT_EQ(bmp.Pixel(21, 4)[Red], 7 + 10);
    EXPECT_EQ(bmp.Pixel(1, 4)[Red], 7);
    TGuardedBitmap one(1, 1, 0);
    TWarningLight tiny;
    tiny.Step(one.View());
    tiny.Step(one.View());
    EXPECT_TRUE(bmp.GuardsIntact());
    EXPECT_TRUE(one.GuardsIntact());
}

TEST(WarningLight, SweepComposesEveryStartColumnWithoutTouchingTheTarget) {
    TGuardedBitmap bmp(6, 3, 50);
    TWarningLight light;
    light.SetSize(4, 2);
    light.SetTop(1);
    std::vector<int> columns;
    light.SweepTo(bmp.View(), [&](TConstPixelView band, int x, int y) {
        columns.push_back(x);
        EXPECT_EQ(y, 1);
        EXPECT_EQ(band.Height, 2);
        EXPECT_EQ(band.Width, std::min(4, 6 - x));
        EXPECT_EQ(band.Row(0)[2], 50);     // ramp 0
        EXPECT_EQ(band.Row(1)[3 + 2], 60); // ramp 10
        EXPECT_EQ(band.Row(1)[3 + 1], 50); // green copied
    });
    EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(bmp.Pixel(1, 1)[Red], 50);
    light.SetTop(3);
    light.SweepTo(bmp.View(), [](TConstPixelView, int, int) { ADD_FAILURE(); });
}

} // namespace
} // namespace glimra
