#pragma once
#include "graphics/pixel_view.h"

#include <algorithm>

namespace glimra {

// (1 − alpha) × back + alpha × pic to the nearest integer, halves to even,
// saturated at 0 and 255; the products are tabled once per alpha.
struct TMix {
    double Back[256];
    double Pic[256];

    explicit TMix(double alpha) {
        for (int v = 0; v < 256; ++v) {
            Back[v] = (1.0 - alpha) * v;
            Pic[v] = alpha * v;
        }
    }
    std::uint8_t operator()(std::uint8_t b, std::uint8_t p) const {
        double v = Back[b] + Pic[p];
        v = v > -1.0 ? (v < 256.0 ? v : 256.0) : -1.0; // NaN too
        // Adding and taking away 1.5 × 2^52 rounds in the current mode, halves
        // to even by default, like rint but without a library call per byte.
        constexpr double shift = 6755399441055744.0;
        v = (v + shift) - shift;
        return static_cast<std::uint8_t>(std::clamp(static_cast<int>(v), 0, 255));
    }
};

// Blends pic into the middle of back: x0 = (back width − pic width) / 2, y0
// likewise, truncated toward zero; the parts outside back are skipped. lighten
// takes the lighter byte; otherwise (1 − alpha) × back + alpha × pic, nearest
// integer with halves to even. An alpha above 1 mixes beyond the picture and
// is saturated at 0 and 255.
void BlendPicture(TPixelView back, TConstPixelView pic, bool lighten, double alpha);

// The same, only where the mask bit of the picture pixel is 0 (black). Picture
// pixels beyond a mask smaller than the picture keep the background.
void BlendPictureMasked(TPixelView back, TConstPixelView pic, TMaskView mask, bool lighten,
                        double alpha);

} // namespace glimra
