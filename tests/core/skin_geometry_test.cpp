#include "graphics/skin_geometry.h"

#include <gtest/gtest.h>

namespace glimra {

TEST(SkinGeometry, OctagonCutsEachCornerByFifteenPixels) {
    const auto points = SkinOctagon(472, 323);
    const std::array<TSkinPoint, 8> expected{
        {{457, 0}, {15, 0}, {0, 15}, {0, 308}, {15, 323}, {457, 323}, {472, 308}, {472, 15}}};
    EXPECT_EQ(points, expected);
}

TEST(SkinGeometry, TitleRowEndsAboveFifteen) {
    EXPECT_TRUE(InSkinTitleRow(0));
    EXPECT_TRUE(InSkinTitleRow(14));
    EXPECT_FALSE(InSkinTitleRow(15));
}

TEST(SkinGeometry, GlyphZonesFollowTheWidth) {
    const int w = 300;
    EXPECT_FALSE(OnSkinMemoLamp(27));
    EXPECT_TRUE(OnSkinMemoLamp(28));
    EXPECT_TRUE(OnSkinMemoLamp(35));
    EXPECT_FALSE(OnSkinMemoLamp(36));
    // Both glyph zones are open intervals.
    EXPECT_FALSE(OnSkinMinimiseGlyph(w - 55, w));
    EXPECT_TRUE(OnSkinMinimiseGlyph(w - 54, w));
    EXPECT_TRUE(OnSkinMinimiseGlyph(w - 51, w));
    EXPECT_FALSE(OnSkinMinimiseGlyph(w - 50, w));
    EXPECT_FALSE(OnSkinCloseGlyph(w - 40, w));
    EXPECT_TRUE(OnSkinCloseGlyph(w - 39, w));
    EXPECT_TRUE(OnSkinCloseGlyph(w - 35, w));
    EXPECT_FALSE(OnSkinCloseGlyph(w - 34, w));
}

TEST(SkinGeometry, GripIsTheWholeRightEdgeBelowThirteen) {
    const int w = 300;
    EXPECT_TRUE(OnSkinResizeGrip(w - 16, 14, w));
    EXPECT_TRUE(OnSkinResizeGrip(w - 1, 5000, w)); // far from the bottom corner
    EXPECT_FALSE(OnSkinResizeGrip(w - 17, 100, w));
    EXPECT_FALSE(OnSkinResizeGrip(w - 5, 13, w));
}

TEST(SkinGeometry, PressesInTheTitleRow) {
    const int w = 300;
    // Plain title row: move.
    EXPECT_EQ(SkinLeftPress(100, 7, w, true, false), (TSkinPress{.Drag = TSkinDrag::Move}));
    // The lamp and the minimise glyph also start a move.
    EXPECT_EQ(SkinLeftPress(30, 7, w, true, false),
              (TSkinPress{.Memo = true, .Drag = TSkinDrag::Move}));
    EXPECT_EQ(SkinLeftPress(w - 52, 7, w, true, false),
              (TSkinPress{.Minimise = true, .Drag = TSkinDrag::Move}));
    // The close glyph closes and does not move.
    EXPECT_EQ(SkinLeftPress(w - 37, 7, w, true, false), (TSkinPress{.Close = true}));
}

TEST(SkinGeometry, DialogStyleIgnoresLampAndMinimiseButCloses) {
    const int w = 300;
    EXPECT_EQ(SkinLeftPress(30, 7, w, true, true), (TSkinPress{.Drag = TSkinDrag::Move}));
    EXPECT_EQ(SkinLeftPress(w - 52, 7, w, true, true), (TSkinPress{.Drag = TSkinDrag::Move}));
    EXPECT_EQ(SkinLeftPress(w - 37, 7, w, true, true), (TSkinPress{.Close = true}));
}

TEST(SkinGeometry, TitleRowIsJudgedFromTheLastMoveNotThePress) {
    const int w = 300;
    // The pointer was last seen below the title row: a press at y 7 does nothing.
    EXPECT_EQ(SkinLeftPress(w - 37, 7, w, false, false), TSkinPress{});
    // And a press on the grip zone while the last move was in the title row moves.
    EXPECT_EQ(SkinLeftPress(w - 5, 14, w, true, false).Drag, TSkinDrag::Move);
    EXPECT_EQ(SkinLeftPress(w - 5, 14, w, false, false).Drag, TSkinDrag::Resize);
    EXPECT_EQ(SkinLeftPress(100, 100, w, false, false), TSkinPress{});
}

TEST(SkinGeometry, MoveStopsTheLeftEdgeAtZeroButNotTheTop) {
    const TSkinBounds start{10, 10, 200, 150};
    const TSkinPoint drag{100, 7};
    EXPECT_EQ(SkinMoveStep(start, drag, 105, 9), (TSkinBounds{15, 12, 200, 150}));
    EXPECT_EQ(SkinMoveStep(start, drag, 80, -50), (TSkinBounds{0, -47, 200, 150}));
    // A left edge that would land on 0 or 1 exactly: 1 stays, 0 stays 0.
    EXPECT_EQ(SkinMoveStep(start, drag, 91, 7).Left, 1);
    EXPECT_EQ(SkinMoveStep(start, drag, 90, 7).Left, 0);
}

TEST(SkinGeometry, ResizeGrowsFromTheTopLeftAndStaysPositive) {
    const TSkinBounds start{40, 50, 300, 200};
    const TSkinPoint drag{295, 100};
    EXPECT_EQ(SkinResizeStep(start, drag, 305, 90), (TSkinBounds{40, 50, 310, 190}));
    EXPECT_EQ(SkinResizeStep(start, drag, -1000, -1000), (TSkinBounds{40, 50, 1, 1}));
}

TEST(SkinGeometry, LayoutAndLastPixels) {
    const auto layout = SkinLayout(300, 200);
    EXPECT_EQ(layout.Lamp, (TSkinRect{28, 5, 35, 12}));
    EXPECT_EQ(layout.TitleText, (TSkinRect{37, 3, 240, 13}));
    EXPECT_EQ(layout.TitleFrame.front(), layout.TitleFrame.back());
    EXPECT_EQ(layout.TitleFrame[2], (TSkinPoint{275, 14}));
    // Lines stop one pixel short of their end, in every direction they run.
    EXPECT_EQ(layout.Minimise.Last(), (TSkinPoint{249, 10}));
    EXPECT_EQ(layout.Close[0].Last(), (TSkinPoint{265, 10}));
    EXPECT_EQ(layout.Close[1].Last(), (TSkinPoint{260, 10}));
    EXPECT_EQ(layout.Grip.Last(), (TSkinPoint{294, 184}));
    EXPECT_EQ((TSkinSegment{{3, 9}, {3, 4}}).Last(), (TSkinPoint{3, 5}));
}

} // namespace glimra
