#include "viewer/window_layout.h"

#include <gtest/gtest.h>

namespace glimra {

TEST(WindowLayout, ButtonsThatDoNotFitStackAtTheLeft) {
    EXPECT_EQ(ButtonHomeFor(1, 472), (TPoint{24, 15}));
    EXPECT_EQ(ButtonHomeFor(5, 472), (TPoint{328, 15}));
    EXPECT_EQ(ButtonHomeFor(3, 200), (TPoint{24, 68}));
    EXPECT_EQ(ButtonHomeFor(4, 200), (TPoint{24, 51}));
    EXPECT_EQ(ButtonHomeFor(5, 200), (TPoint{24, 34}));
    EXPECT_EQ(ButtonHomeFor(2, 200), (TPoint{100, 15}));
    EXPECT_EQ(ButtonHomeFor(5, 403), (TPoint{24, 34})); // 404 is the first width with five
    EXPECT_EQ(ButtonHomeFor(5, 404), (TPoint{328, 15}));
    EXPECT_FALSE(CanResizeTo(150, 300));
    EXPECT_FALSE(CanResizeTo(300, 120));
    EXPECT_TRUE(CanResizeTo(151, 121));
}

TEST(WindowLayout, OpeningBandWidensThenGrowsFaster) {
    // One window: 8 pixels a side per step until the left edge reaches 0.
    TBounds band{240, 174, 20, 2};
    int steps = 0;
    TOpeningBand s{band, false};
    while (s.Rect.Left > 0) {
        s = StepOpening(s.Rect, 1, 480, 350);
        ++steps;
    }
    EXPECT_EQ(steps, 30);
    EXPECT_EQ(s.Rect.Width, 480);
    EXPECT_EQ(s.Rect.Height, 2 + 30); // the last widening step also grew it
    while (!s.Done)
        s = StepOpening(s.Rect, 1, 480, 350);
    EXPECT_EQ(s.Rect.Top, 0);
    EXPECT_EQ(s.Rect.Height, 350);
    // Three windows open three times as fast.
    TOpeningBand three = StepOpening(band, 3, 480, 350);
    EXPECT_EQ(three.Rect.Left, 216);
    EXPECT_EQ(three.Rect.Width, 68);
}

} // namespace glimra
