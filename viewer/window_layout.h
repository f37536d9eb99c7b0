#pragma once
#include "graphics/pixel_view.h"

namespace glimra {

// Home of button n (1..5): a row along the top while it fits, else a column at the left.
TPoint ButtonHomeFor(int n, int windowWidth);

// A window is never made smaller than this.
inline bool CanResizeTo(int width, int height) {
    return width > 150 && height > 120;
}

// One step of the opening band: wider from the centre, then taller.
struct TOpeningBand {
    TBounds Rect;
    bool Done = false;
};
TOpeningBand StepOpening(TBounds band, int windowCount, int windowWidth, int windowHeight);

} // namespace glimra
