#include "dialogs/setup_values.h"
#include "graphics/layer_alpha.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

TEST(SetupValuesTest, PreviewIsAWhiteWindowLessTheTints) {
    EXPECT_EQ(PreviewColor(0, 0, 0), clWhite);
    EXPECT_EQ(PreviewColor(255, 255, 255), clBlack);
    EXPECT_EQ(PreviewColor(255, 0, 0), clAqua); // cyan
    // Red in the low byte, blue in the high one.
    EXPECT_EQ(PreviewColor(10, 20, 30), 0x00E1EBF5u);
}

std::vector<TCheckLine> Lines(std::initializer_list<TCheckLine> lines) {
    return lines;
}

TEST(SetupValuesTest, UpAndDownSwapTextAndCheckMarkAndTheSelectionFollows) {
    auto lines = Lines({{"A.SO", false}, {"B.SO", true}, {"C.SO", false}});
    EXPECT_EQ(MoveLine(lines, 1, -1), 0);
    EXPECT_EQ(lines, Lines({{"B.SO", true}, {"A.SO", false}, {"C.SO", false}}));
    EXPECT_EQ(MoveLine(lines, 0, +1), 1);
    EXPECT_EQ(MoveLine(lines, 1, +1), 2);
    EXPECT_EQ(lines, Lines({{"A.SO", false}, {"C.SO", false}, {"B.SO", true}}));
}

TEST(SetupValuesTest, NothingMovesPastTheEndsOrWithoutASelection) {
    const auto original = Lines({{"A.SO", true}, {"B.SO", false}});
    auto lines = original;
    EXPECT_EQ(MoveLine(lines, 0, -1), 0);
    EXPECT_EQ(MoveLine(lines, 1, +1), 1);
    EXPECT_EQ(MoveLine(lines, -1, -1), -1);
    EXPECT_EQ(MoveLine(lines, -1, +1), -1);
    EXPECT_EQ(lines, original);
    std::vector<TCheckLine> empty;
    EXPECT_EQ(MoveLine(empty, 0, +1), 0);
}

TEST(SetupValuesTest, LayerOpacityNeverFallsBelowTheMinimumAlpha) {
    EXPECT_DOUBLE_EQ(LayerOpacity(5, LayerAlpha), 20 / 255.0);
    EXPECT_DOUBLE_EQ(LayerOpacity(20, LayerAlpha), 20 / 255.0);
    EXPECT_DOUBLE_EQ(LayerOpacity(127, LayerAlpha), 127 / 255.0);
    EXPECT_DOUBLE_EQ(LayerOpacity(255, LayerAlpha), 1.0);
    // Without the alpha flag the alpha is not used.
    EXPECT_DOUBLE_EQ(LayerOpacity(127, LayerColorKey), 1.0);
}

} // namespace
} // namespace glimra
