#include "graphics/live_shade.h"
#include "graphics/pixel_ops.h"

#include <cmath>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace glimra {
namespace {

// What the compositor shows of a premultiplied pixel over a colour behind it.
int OnScreen(int premultiplied, int alpha, int behind) {
    return premultiplied + (255 - alpha) * behind / 255;
}

TEST(LiveShade, MidGreyComesOutAsTheCapturedShadingMakesIt) {
    const struct {
        std::uint8_t Level;
        TTint Tint;
    } cases[] = {{2, {1, 1, 1, false}},  // the defaults: 128 -> 87
                 {0, {}},                // nothing to shade: fully transparent
                 {3, {5, 1, 20, false}}, // tinted darker on red
                 {2, {1, 1, 1, true}},   // lightened
                 {1, {0, 200, 0, true}}, // a tint beyond the lightening
                 {13, {}}};              // black
    for (const auto& c : cases) {
        const TLiveShade shade = LiveShade(c.Level, c.Tint);
        std::uint8_t grey[3] = {128, 128, 128};
        AdjustBrightness({grey, 1, 1, 3}, c.Level, c.Tint);
        const int got[3] = {OnScreen(shade.B, shade.Alpha, 128),
                            OnScreen(shade.G, shade.Alpha, 128),
                            OnScreen(shade.R, shade.Alpha, 128)};
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(got[i], grey[i], 1) << int(c.Level) << " channel " << i;
        // A valid premultiplied colour.
        EXPECT_LE(std::max({shade.B, shade.G, shade.R}), shade.Alpha) << int(c.Level);
    }
    EXPECT_EQ(LiveShade(2, {1, 1, 1, false}).Alpha, 82);
    EXPECT_EQ(LiveShade(0, {}).Alpha, 0);
    EXPECT_EQ(LayeredShade(127), (TLiveShade{0, 0, 0, 127}));
    EXPECT_EQ(LayeredShade(5).Alpha, 20);
}

// A 6 x 1 picture: shade, white text ink at 40 %, opaque green, a module's magenta, a
// module's blend, shade again.
TEST(LiveShade, BackdropAndInkEdgesAreTranslucentAndEverythingElseOpaque) {
    TLiveShade shade = LiveShade(2, {1, 1, 1, false});
    shade.AddInk(255, 255, 255);
    std::vector<std::uint8_t> bits(24, 0);
    const TPixelView picture{bits.data(), 6, 1, 24};
    TCoverage cover;
    cover.Begin(picture, shade.Alpha);
    const std::uint8_t ink = 102, green[3] = {0, 128, 0}, magenta[3] = {255, 0, 255};
    std::fill_n(&bits[3], 3, ink);
    std::copy_n(green, 3, &bits[6]);
    std::copy_n(magenta, 3, &bits[9]); // written straight into the DC
    // A host blend of white at 0.7 over pixel 4: settled first, then followed.
    cover.Settle(picture, {4, 0, 5, 1});
    std::fill_n(&bits[12], 3, 178);
    cover.Blended(picture, {4, 0, 5, 1}, 0.7, [](int, int) { return true; });
    std::vector<std::uint8_t> out(6 * 4);
    for (const TCoverage* c :
         {static_cast<const TCoverage*>(nullptr), static_cast<const TCoverage*>(&cover)}) {
        CopyToPremultiplied(picture, {0, 0, 6, 1}, shade, c, out.data(), 24);
        EXPECT_EQ(out[3], 82);
        EXPECT_EQ(out[7], std::lround(0.4 * 255 + 0.6 * 82));
        EXPECT_EQ(out[11], 255);
        EXPECT_EQ(out[15], 255);
        EXPECT_EQ(out[23], 82);
    }
    // The blend covers 70 % on top of the shade's 32 %; a darkening scales what is left.
    EXPECT_NEAR(cover.AlphaAt(4, 0, &bits[12]), 0.7 * 255 + 0.3 * 82, 1);
    cover.Darkened(picture, {5, 0, 6, 1}, 2);
    EXPECT_NEAR(cover.AlphaAt(5, 0, &bits[15]), 255 - (255 - 82) * 26.0 / 32 * 26 / 32, 1);
}

} // namespace
} // namespace glimra
