#include "graphics/overlaps.h"
#include "graphics/pixel_ops.h"
#include "guarded_bitmap.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

std::optional<TOverlapCopy> Rects(TBounds back, TBounds front) {
    return OverlapRects(back, {back.Width, back.Height}, front, {front.Width, front.Height});
}

TEST(OverlapRects, OverlappingWindows) {
    // Back at the upper left of front.
    EXPECT_EQ(Rects({0, 0, 100, 100}, {50, 40, 100, 100}),
              (TOverlapCopy{{50, 40, 100, 100}, {0, 0, 50, 60}}));
    // Back at the lower right of front.
    EXPECT_EQ(Rects({50, 40, 100, 100}, {0, 0, 100, 100}),
              (TOverlapCopy{{0, 0, 50, 60}, {50, 40, 100, 100}}));
}

TEST(OverlapRects, DisjointWindowsGiveNothing) {
    EXPECT_FALSE(Rects({0, 0, 100, 100}, {200, 0, 100, 100}));
    EXPECT_FALSE(Rects({300, 0, 100, 100}, {0, 0, 100, 100}));
    EXPECT_FALSE(Rects({0, 0, 100, 100}, {0, 100, 100, 100})); // touching edges
}

TEST(OverlapRects, ContainedWindows) {
    // Front inside back: front sees only its own size of back.
    EXPECT_EQ(Rects({0, 0, 300, 300}, {50, 60, 100, 100}),
              (TOverlapCopy{{50, 60, 150, 160}, {0, 0, 100, 100}}));
    // Back inside front.
    EXPECT_EQ(Rects({50, 60, 100, 100}, {0, 0, 300, 300}),
              (TOverlapCopy{{0, 0, 100, 100}, {50, 60, 150, 160}}));
}

TEST(OverlapRects, ClipsToSmallerBitmaps) {
    // Back's bitmap is smaller than its window, front's too.
    auto c = OverlapRects({0, 0, 100, 100}, {80, 80}, {50, 50, 100, 100}, {40, 40});
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Source, (TRect{50, 50, 80, 80}));
    EXPECT_EQ(c->Dest, (TRect{0, 0, 40, 40}));
    EXPECT_FALSE(OverlapRects({0, 0, 100, 100}, {0, 0}, {50, 50, 100, 100}, {100, 100}));
}

TEST(OverlapCopies, WalksOnlyTheWindowsBehind) {
    const TBounds front{50, 50, 100, 100};
    std::vector<TStackedWindow> list{
        {{0, 0, 100, 100}, {100, 100}},
        {{500, 500, 10, 10}, {10, 10}}, // disjoint: skipped, walk goes on
        {{100, 100, 100, 100}, {100, 100}},
        {front, {100, 100}, false, true},
        {{0, 0, 400, 400}, {400, 400}}, // in front: never reached
    };
    auto steps = OverlapCopies(list, front, {100, 100});
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].Index, 0u);
    EXPECT_EQ(steps[1].Index, 2u);
    EXPECT_EQ(steps[1].Copy.Dest, (TRect{50, 50, 100, 100}));

    list[2].Minimised = true; // ends the walk before it
    steps = OverlapCopies(list, front, {100, 100});
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_TRUE(OverlapCopies({list[0]}, front, {100, 100}).empty());
}

TEST(OverlapCopies, ApplyCopiesAndShadesAgain) {
    TGuardedBitmap back(4, 4, 100), front(4, 4, 0);
    ApplyOverlap(front.View(), back.View(), {{0, 0, 2, 2}, {2, 2, 4, 4}}, 1, {});
    EXPECT_EQ(front.Pixel(2, 2)[0], 80);
    EXPECT_EQ(front.Pixel(3, 3)[2], 80);
    EXPECT_EQ(front.Pixel(1, 1)[0], 0);
    // Rectangles beyond either bitmap are clipped.
    ApplyOverlap(front.View(), back.View(), {{-5, -5, 50, 50}, {-9, 1, 90, 90}}, 1, {});
    EXPECT_TRUE(front.GuardsIntact());
}

// A staircase of windows, one behind the front stretched to a smaller bitmap: laying
// only the showing steps over the desktop around the filled part gives the picture
// laying every step over the whole desktop gives, with the hidden steps left out.
TEST(OverlapCopies, HiddenStepsAndTheDesktopUnderThemAreLeftOut) {
    const TBounds front{300, 180, 120, 90};
    std::vector<TStackedWindow> list;
    for (int i = 0; i < 3; ++i)
        list.push_back({{i * 100, i * 60, 120, 90}, {120, 90}});
    list.push_back({{250, 150, 120, 90}, {60, 45}}); // drawn smaller: stretched
    list.push_back({{280, 170, 120, 90}, {120, 90}});
    list.push_back({front, {120, 90}, false, true});
    const std::vector<TOverlapStep> steps = OverlapCopies(list, front, {120, 90});
    ASSERT_EQ(steps.size(), 3u);
    const std::vector<TOverlapStep> showing = ShowingSteps(steps);
    ASSERT_EQ(showing.size(), 1u);
    EXPECT_EQ(showing[0].Index, 4u);

    std::vector<TGuardedBitmap> backs;
    for (const TStackedWindow& w : list) {
        backs.emplace_back(w.Bitmap.Width, w.Bitmap.Height);
        for (int y = 0; y < w.Bitmap.Height; ++y)
            for (int x = 0; x < w.Bitmap.Width; ++x)
                backs.back().Set(x, y, static_cast<std::uint8_t>(x * 2 + backs.size() * 40),
                                 static_cast<std::uint8_t>(y * 3), 200);
    }
    const auto desktop = [](TGuardedBitmap& into, TRect r) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                into.Set(x, y, 17, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y));
    };
    TGuardedBitmap all(120, 90, 0), few(120, 90, 0);
    desktop(all, {0, 0, 120, 90});
    for (const TOverlapStep& step : steps)
        ApplyOverlap(all.View(), backs[step.Index].View(), step.Copy, 1, {});
    for (const TRect& r : Around({0, 0, 120, 90}, FilledRect(steps)))
        desktop(few, r);
    for (const TOverlapStep& step : showing)
        ApplyOverlap(few.View(), backs[step.Index].View(), step.Copy, 1, {});
    for (int y = 0; y < 90; ++y)
        EXPECT_TRUE(std::equal(all.Row(y), all.Row(y) + 360, few.Row(y))) << "row " << y;

    // A stretched step is not taken to fill: what lies under it is still laid.
    EXPECT_EQ(ShowingSteps({steps[0], steps[1]}).size(), 2u);
    EXPECT_TRUE(FilledRect({steps[1]}).IsEmpty());
    EXPECT_EQ(Around({0, 0, 10, 10}, {}).size(), 1u);
    EXPECT_EQ(Around({0, 0, 10, 10}, {2, 2, 5, 5}).size(), 4u);
}

// A piece laid whole is copied and shaded in one pass: the same pixels as copying,
// then shading, darkening or lightening, and a piece too thin to shade only copied.
TEST(OverlapCopies, OnePassGivesTheCopyShadedAgain) {
    TGuardedBitmap back(30, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            back.Set(x, y, static_cast<std::uint8_t>(x * 9), static_cast<std::uint8_t>(y * 13),
                     static_cast<std::uint8_t>(250 - x - y));
    const TTint tints[] = {{3, 0, 9, false}, {3, 0, 9, true}};
    const TOverlapCopy copies[] = {{{4, 2, 27, 19}, {1, 0, 24, 17}},
                                   {{0, 5, 30, 6}, {0, 3, 30, 4}}};
    for (const TTint& tint : tints) {
        for (const TOverlapCopy& copy : copies) {
            TGuardedBitmap once(30, 20, 60), twice(30, 20, 60);
            ApplyOverlap(once.View(), back.View(), copy, 2, tint);
            CopyRect(twice.View(), copy.Dest.Left, copy.Dest.Top, back.View(), copy.Source);
            ShadeRect(twice.View(), copy.Dest, 2, tint);
            for (int y = 0; y < 20; ++y)
                EXPECT_TRUE(std::equal(once.Row(y), once.Row(y) + 90, twice.Row(y)))
                    << "row " << y << (tint.AvReverse ? " lightened" : " darkened");
            EXPECT_TRUE(once.GuardsIntact());
        }
    }
}

} // namespace
} // namespace glimra
