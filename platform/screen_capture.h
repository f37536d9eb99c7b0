#pragma once
#include "graphics/pixel_view.h"

namespace glimra {

class TCdib;

// The size of the primary screen in pixels (0 × 0 without one).
TSize PrimaryScreenSize();

// Copies the whole primary screen into the surface. Where the platform cannot
// capture, the surface is left black and false is returned.
bool CaptureScreen(TCdib& surface);

} // namespace glimra
