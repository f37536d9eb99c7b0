#pragma once
#include "graphics/pixel_view.h"

namespace glimra {

// Where a new window goes: 20 pixels right and down of the last one.
inline TPoint CascadeFrom(TPoint last) {
    return {last.X + 20, last.Y + 20};
}

// Top-left corner that centres a window on the screen (truncating toward zero).
inline TPoint CentreOn(int screenWidth, int screenHeight, int width, int height) {
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

} // namespace glimra
