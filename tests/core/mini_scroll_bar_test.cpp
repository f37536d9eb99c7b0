#include "graphics/mini_scroll_bar.h"
#include "guarded_bitmap.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

struct Counts {
    int Change = 0, Changed = 0, Repaint = 0;
};

void Hook(TMiniScrollBar& bar, Counts& c) {
    bar.OnChange = [&c] { ++c.Change; };
    bar.OnChanged = [&c] { ++c.Changed; };
    bar.OnRepaint = [&c] { ++c.Repaint; };
}

TEST(MiniScrollBar, PositionIsClampedAndRepeatsFireNothing) {
    TMiniScrollBar bar;
    Counts c;
    Hook(bar, c);
    bar.SetPosition(-5);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(c.Change, 0);
    bar.SetPosition(500);
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(c.Change, 1);
    EXPECT_EQ(c.Repaint, 1);
    bar.SetPosition(100);
    EXPECT_EQ(c.Change, 1);
    bar.CanRepaint = false;
    bar.SetPosition(3);
    EXPECT_EQ(c.Repaint, 1);
}

TEST(MiniScrollBar, ThumbSitsAtBothEndsOfTheTrack) {
    TMiniScrollBar bar; // 100 × 200, upright
    EXPECT_EQ(bar.ThumbY(), 2);
    bar.SetPosition(100);
    EXPECT_EQ(bar.ThumbY(), 198);
    bar.SetPosition(50);
    EXPECT_EQ(bar.ThumbY(), 100); // 196 / 100 × 50 + 2
    bar.SetVertical(true);
    EXPECT_EQ(bar.ThumbX(), 50); // (100 − 4) / 100 × 50 + 2
    EXPECT_EQ(ThumbFromPosition(200, 0, 0, 0), 2);
    EXPECT_EQ(ThumbFromPosition(200, 10, 20, 20), 198);
}

TEST(MiniScrollBar, MaxNeverFallsBelowMin) {
    TMiniScrollBar bar;
    Counts c;
    Hook(bar, c);
    bar.SetPosition(40);
    bar.SetMax(-1);
    EXPECT_EQ(bar.Max(), 0);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.ThumbY(), 2);
    EXPECT_EQ(c.Change, 2);
    bar.SetMax(0); // equal: nothing
    EXPECT_EQ(c.Change, 2);
}

TEST(MiniScrollBar, DraggingToTheEndsGivesMaxAndMin) {
    TMiniScrollBar bar;
    bar.SetBounds(10, 20, 12, 200);
    Counts c;
    Hook(bar, c);
    bar.MouseDown(15, 30);
    bar.MouseMove(15, 1000); // far beyond the end: thumb clamps to 198
    EXPECT_EQ(bar.ThumbY(), 198);
    EXPECT_EQ(bar.Position(), 100);
    bar.MouseMove(15, -1000);
    EXPECT_EQ(bar.ThumbY(), 2);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(c.Change, 2);
    bar.MouseUp();
    EXPECT_EQ(c.Changed, 0); // dragging alone never fires it
    bar.MouseMove(15, 500);  // not dragging any more
    EXPECT_EQ(bar.Position(), 0);

    bar.SetPosition(7);
    bar.MouseUp();
    bar.MouseUp();
    EXPECT_EQ(c.Changed, 1);
}

TEST(MiniScrollBar, EmptyRangesAndShortTracksStayInRange) {
    TMiniScrollBar bar;
    bar.SetMax(0);
    bar.MouseDown(0, 0);
    bar.MouseMove(0, 50);
    EXPECT_EQ(bar.Position(), 0);
    bar.Min = 5;
    bar.SetMax(9);
    EXPECT_EQ(PositionFromThumb(200, 5, 5, 100), 5); // 0 clamped into range
    EXPECT_EQ(PositionFromThumb(4, 0, 100, 2), 0);   // no room to divide by
    EXPECT_EQ(PositionFromThumb(3, 0, 100, 9), 0);
    EXPECT_EQ(PositionFromThumb(200, 0, 2147483647, 198), 2147483647);
    EXPECT_EQ(ThumbFromPosition(200, -2147483647 - 1, 2147483647, 2147483647), 198);
}

TEST(MiniScrollBar, PaintsTrackAndNinePixelThumb) {
    TGuardedBitmap bmp(40, 60, 0);
    TMiniScrollBar bar(clYellow);
    bar.SetBounds(5, 5, 12, 50);
    bar.PaintTo(bmp.View());
    // Track at x = 11 from y 7 to 52; thumb at y 7 from x 7 to 15.
    EXPECT_EQ(bmp.Pixel(11, 7)[2], 255);
    EXPECT_EQ(bmp.Pixel(11, 7)[0], 0);
    EXPECT_EQ(bmp.Pixel(11, 52)[1], 255);
    EXPECT_EQ(bmp.Pixel(11, 53)[1], 0);
    EXPECT_EQ(bmp.Pixel(7, 7)[1], 255);
    EXPECT_EQ(bmp.Pixel(15, 7)[1], 255);
    EXPECT_EQ(bmp.Pixel(16, 7)[1], 0);
    EXPECT_EQ(bmp.Pixel(6, 7)[1], 0);

    TGuardedBitmap hidden(40, 60, 0);
    bar.Visible = false;
    bar.PaintTo(hidden.View());
    EXPECT_EQ(hidden.Pixel(11, 20)[1], 0);
    // A bar partly outside the bitmap draws only the inside part.
    bar.Visible = true;
    bar.SetVertical(true);
    bar.SetBounds(-20, 55, 100, 20);
    bar.PaintTo(bmp.View());
    EXPECT_TRUE(bmp.GuardsIntact());
}

} // namespace
} // namespace glimra
