#include "graphics/blend.h"

#include <algorithm>
#include <cmath>

namespace glimra {
namespace {

void Blend(TPixelView back, TConstPixelView pic, const TMaskView* mask, bool lighten,
           double alpha) {
    if (back.Empty() || pic.Empty())
        return;
    const int x0 = (back.Width - pic.Width) / 2;
    const int y0 = (back.Height - pic.Height) / 2;
    // Picture columns and rows whose target lies inside the background.
    const int j0 = std::max(0, -x0), j1 = std::min(pic.Width, back.Width - x0);
    const int i0 = std::max(0, -y0), i1 = std::min(pic.Height, back.Height - y0);
    if (j0 >= j1 || i0 >= i1)
        return;
    const TMix mix(lighten ? 0.0 : alpha);
    for (int i = i0; i < i1; ++i) {
        const std::uint8_t* p = pic.Row(i) + j0 * 3;
        std::uint8_t* b = back.Row(y0 + i) + (x0 + j0) * 3;
        for (int j = j0; j < j1; ++j, p += 3, b += 3) {
            if (mask && mask->White(j, i))
                continue;
            for (int c = 0; c < 3; ++c)
                b[c] = lighten ? std::max(b[c], p[c]) : mix(b[c], p[c]);
        }
    }
}

} // namespace

void BlendPicture(TPixelView back, TConstPixelView pic, bool lighten, double alpha) {
    Blend(back, pic, nullptr, lighten, alpha);
}

void BlendPictureMasked(TPixelView back, TConstPixelView pic, TMaskView mask, bool lighten,
                        double alpha) {
    Blend(back, pic, &mask, lighten, alpha);
}

} // namespace glimra
