#pragma once
#include "graphics/pixel_view.h"

namespace glimra {

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
