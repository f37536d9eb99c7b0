#pragma once
#include "graphics/pixel_view.h"

#include <algorithm>

namespace glimra {

// Where a new window goes: 20 pixels right and down of the last one.
inline TPoint CascadeFrom(TPoint last) {
    return {last.X + 20, last.Y + 20};
}

// Top-left corner that centres a window on the screen (truncating toward zero).
inline TPoint CentreOn(int screenWidth, int screenHeight, int width, int height) {
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

// Stored bounds made showable: the size no larger than the screen and no smaller than
// a window may be, then the place so that the whole window lies on the screen.
inline TBounds FitOnScreen(TBounds bounds, TSize screen, TSize smallest) {
    auto fit = [](int value, int low, int high) {
        return std::clamp(value, low, std::max(low, high));
    };
    const int width = fit(bounds.Width, smallest.Width, screen.Width);
    const int height = fit(bounds.Height, smallest.Height, screen.Height);
    return {fit(bounds.Left, 0, screen.Width - width), fit(bounds.Top, 0, screen.Height - height),
            width, height};
}

} // namespace glimra
