#include "graphics/popup_menu_layout.h"
#include "guarded_bitmap.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

// Nine items 14 pixels high, the widest caption 60 pixels: the File menu's shape.
constexpr TMenuLayout Menu{14, 60, 9};

bool IsColour(TGuardedBitmap& bitmap, int x, int y, std::uint8_t b, std::uint8_t g,
              std::uint8_t r) {
    const std::uint8_t* p = bitmap.Pixel(x, y);
    return p[0] == b && p[1] == g && p[2] == r;
}

TEST(PopupMenuLayout, ImageRowsSeparatorsAndCheckMarkFollowTheLayout) {
    EXPECT_EQ(Menu.Width(), 92);
    EXPECT_EQ(Menu.Height(), 9 * 14 + 4);
    EXPECT_EQ(Menu.RowTop(3), 2 + 42);
    EXPECT_EQ(Menu.RowMiddle(3), 44 + 7);
    EXPECT_EQ(Menu.Highlight(1), (TRect{8, 16, 84, 30}));
    // A separator runs from x = 16 up to, not including, width − 16.
    TGuardedBitmap image(Menu.Width(), Menu.Height());
    DrawStroke(image.View(), SeparatorStroke(Menu, 3), clWhite);
    EXPECT_TRUE(IsColour(image, 16, 51, 255, 255, 255));
    EXPECT_TRUE(IsColour(image, 75, 51, 255, 255, 255));
    EXPECT_TRUE(IsColour(image, 76, 51, 0, 0, 0));
    EXPECT_TRUE(IsColour(image, 15, 51, 0, 0, 0));
    EXPECT_TRUE(IsColour(image, 40, 50, 0, 0, 0));
    // The check mark: x = 11 from middle − 3 to middle + 1, y = middle − 1 from x = 9 to 13.
    TMenuStroke mark[2];
    CheckMarkStrokes(Menu, 0, mark);
    for (const TMenuStroke& s : mark)
        DrawStroke(image.View(), s, clBlue);
    const int middle = Menu.RowMiddle(0); // 9
    int blue = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            blue += IsColour(image, x, y, 255, 0, 0);
    EXPECT_EQ(blue, 5 + 5 - 1);
    EXPECT_TRUE(IsColour(image, 11, middle - 3, 255, 0, 0));
    EXPECT_TRUE(IsColour(image, 11, middle + 1, 255, 0, 0));
    EXPECT_FALSE(IsColour(image, 11, middle + 2, 255, 0, 0));
    EXPECT_TRUE(IsColour(image, 9, middle - 1, 255, 0, 0));
    EXPECT_TRUE(IsColour(image, 13, middle - 1, 255, 0, 0));
    EXPECT_FALSE(IsColour(image, 14, middle - 1, 255, 0, 0));
    EXPECT_TRUE(image.GuardsIntact());
}

TEST(PopupMenuLayout, HitsAreStrictAndRowsCountFromTheMenuTop) {
    const TPoint at{100, 50};
    EXPECT_FALSE(MenuContains(100, 60, at, Menu)); // on the left edge
    EXPECT_TRUE(MenuContains(101, 51, at, Menu));
    EXPECT_FALSE(MenuContains(101, 50, at, Menu)); // on the top edge
    EXPECT_TRUE(MenuContains(191, 179, at, Menu));
    EXPECT_FALSE(MenuContains(192, 100, at, Menu)); // x = left + width
    EXPECT_FALSE(MenuContains(150, 180, at, Menu)); // y = top + height
    // The first 14 pixels below the top are row 0, although row 0 is drawn from y + 2.
    EXPECT_EQ(MenuRowAt(51, 50, 14), 0);
    EXPECT_EQ(MenuRowAt(63, 50, 14), 0);
    EXPECT_EQ(MenuRowAt(64, 50, 14), 1);
    // The bottom margin is below the last row.
    EXPECT_EQ(MenuRowAt(50 + 9 * 14 + 2, 50, 14), 9);
}

TEST(PopupMenuLayout, AMenuIsMovedIntoTheWindowAndStartsOutsideWhenLarger) {
    EXPECT_EQ(FitMenu({24, 27}, {92, 130}, {480, 350}), (TPoint{24, 27}));
    EXPECT_EQ(FitMenu({420, 300}, {92, 130}, {480, 350}), (TPoint{388, 220}));
    EXPECT_EQ(FitMenu({388, 220}, {92, 130}, {480, 350}), (TPoint{388, 220})); // just fits
    EXPECT_EQ(FitMenu({10, 10}, {200, 130}, {151, 121}), (TPoint{-49, -9}));
}

TEST(PopupMenuLayout, BlendImageLightensAndRoundsHalvesToEven) {
    TGuardedBitmap back(3, 2), image(2, 1);
    back.Set(0, 0, 10, 11, 200);
    back.Set(1, 0, 100, 100, 100);
    image.Set(0, 0, 21, 21, 0);   // darker than 200: halves to 100
    image.Set(1, 0, 255, 255, 0); // yellow stays yellow over grey
    BlendImage(back.View(), image.View(), {0, 0}, false, true, 0.5);
    EXPECT_TRUE(IsColour(back, 0, 0, 21, 21, 100)); // 21 > 10, 21 > 11: taken as they are
    EXPECT_TRUE(IsColour(back, 1, 0, 255, 255, 50));
    // Without lighten: 15.5 goes to 16, 16.5 to 16, 100 + 0 over 2 to 50.
    TGuardedBitmap grey(1, 1), pic(1, 1);
    grey.Set(0, 0, 10, 12, 100);
    pic.Set(0, 0, 21, 21, 0);
    BlendImage(grey.View(), pic.View(), {0, 0}, false, false, 0.5);
    EXPECT_TRUE(IsColour(grey, 0, 0, 16, 16, 50));
    EXPECT_TRUE(back.GuardsIntact() && grey.GuardsIntact());
}

TEST(PopupMenuLayout, BlendImageClipsAtEveryEdgeAndCentres) {
    TGuardedBitmap back(4, 4), image(3, 3, 200);
    BlendImage(back.View(), image.View(), {-2, 3}, false, false, 1.0);
    EXPECT_TRUE(IsColour(back, 0, 3, 200, 200, 200));
    EXPECT_TRUE(IsColour(back, 1, 3, 0, 0, 0));
    EXPECT_TRUE(IsColour(back, 0, 2, 0, 0, 0));
    BlendImage(back.View(), image.View(), {3, -2}, false, false, 1.0);
    EXPECT_TRUE(IsColour(back, 3, 0, 200, 200, 200));
    EXPECT_TRUE(IsColour(back, 3, 1, 0, 0, 0));
    TGuardedBitmap centre(5, 5), dot(1, 1, 90);
    BlendImage(centre.View(), dot.View(), {0, 0}, true, false, 1.0);
    EXPECT_TRUE(IsColour(centre, 2, 2, 90, 90, 90));
    EXPECT_TRUE(IsColour(centre, 0, 0, 0, 0, 0));
    EXPECT_TRUE(back.GuardsIntact() && centre.GuardsIntact());
}

} // namespace
} // namespace glimra
