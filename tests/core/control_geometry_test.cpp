#include "graphics/control_geometry.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

TEST(ControlGeometry, ZoomInsetsFollowTheAspect) {
    EXPECT_EQ(ZoomInsets(100, 50, 10), (TZoomInsets{20, 10}));
    EXPECT_EQ(ZoomInsets(40, 40, 10), (TZoomInsets{10, 10}));
    EXPECT_EQ(ZoomInsets(50, 100, 10), (TZoomInsets{5, 10}));
    EXPECT_EQ(ZoomInsets(75, 11, 0), (TZoomInsets{0, 0}));
    // Out-of-range zooms never turn the inner area inside out.
    EXPECT_EQ(ZoomInsets(40, 40, -5), (TZoomInsets{0, 0}));
    EXPECT_EQ(ZoomInsets(40, 20, 100), (TZoomInsets{20, 10}));
    EXPECT_EQ(ZoomInsets(40, 0, 3), (TZoomInsets{0, 0}));
}

TEST(ControlGeometry, ZoomIsTakenOnlyWhileItFits) {
    EXPECT_EQ(AcceptZoom(0, 10, 40, 40), 10);
    EXPECT_EQ(AcceptZoom(10, 20, 40, 40), 10); // 20 is not less than 40 − 20
    EXPECT_EQ(AcceptZoom(10, 19, 40, 40), 19);
    EXPECT_EQ(AcceptZoom(10, -3, 40, 40), 0);
    EXPECT_EQ(AcceptZoom(0, 10, 100, 20), 0); // height 20 leaves no room
}

TEST(ControlGeometry, ResizeShrinksAZoomThatNoLongerFits) {
    EXPECT_EQ(ZoomAfterResize(30, 50, 60), 24);
    EXPECT_EQ(ZoomAfterResize(10, 50, 60), 10);
    EXPECT_EQ(ZoomAfterResize(5, 1, 1), 0);
}

TEST(ControlGeometry, BackgroundSourceIsTheInsetRectangle) {
    EXPECT_EQ(BackgroundSource({24, 15, 100, 50}, {20, 10}), (TRect{44, 25, 104, 55}));
}

TEST(ControlGeometry, CaptionIsCentredOrInTheLowerRightCorner) {
    EXPECT_EQ(CaptionPosition(75, 11, 20, 13, 0), (TPoint{27, 0})); // y −1 becomes 0
    EXPECT_EQ(CaptionPosition(75, 25, 21, 12, 0), (TPoint{27, 6}));
    EXPECT_EQ(CaptionPosition(75, 25, 21, 12, 3), (TPoint{52, 11}));
    EXPECT_EQ(CaptionPosition(10, 10, 40, 40, 3), (TPoint{0, 0}));
}

TEST(ControlGeometry, IsInParentNeedsAnOverlap) {
    EXPECT_TRUE(IsInParent({0, 0, 10, 10}, 100, 100));
    EXPECT_TRUE(IsInParent({-9, 99, 10, 10}, 100, 100));
    EXPECT_FALSE(IsInParent({-10, 0, 10, 10}, 100, 100));
    EXPECT_FALSE(IsInParent({100, 0, 10, 10}, 100, 100));
    EXPECT_FALSE(IsInParent({0, -10, 10, 10}, 100, 100));
    EXPECT_FALSE(IsInParent({0, 100, 10, 10}, 100, 100));
}

TEST(ControlGeometry, HighlightShowsOneStepDarkerUpToSeven) {
    EXPECT_EQ(HighlightLevel(1), 2);
    EXPECT_EQ(HighlightLevel(4), 5);
    EXPECT_EQ(HighlightLevel(6), 7);
    EXPECT_EQ(HighlightLevel(7), 2);
    EXPECT_EQ(HighlightLevel(200), 2);
}

TEST(ControlGeometry, BadgesAreCentredWithTruncation) {
    EXPECT_EQ(CentreIn(480, 350, 200, 200), (TPoint{140, 75}));
    EXPECT_EQ(CentreIn(150, 101, 200, 200), (TPoint{-25, -49}));
}

TEST(ControlGeometry, EditAlignment) {
    const TBounds start{3, 4, 409, 23};
    EXPECT_EQ(AlignEdit(geaBottom, 472, 323, start), (TBounds{10, 290, 452, 23}));
    EXPECT_EQ(AlignEdit(geaTop, 472, 323, start), (TBounds{10, 32, 452, 23}));
    EXPECT_EQ(AlignEdit(geaMiddle, 471, 324, start), (TBounds{10, 150, 451, 23}));
    EXPECT_EQ(AlignEdit(geaNone, 472, 323, start), start);
    // An owner narrower than the margins keeps the edit at its minimum width.
    EXPECT_EQ(AlignEdit(geaTop, 5, 5, start).Width, MinControlSide);
}

} // namespace
} // namespace glimra
