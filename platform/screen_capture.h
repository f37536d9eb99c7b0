#pragma once
#include "common/geometry.h"

#include <QImage>

namespace glimra {

// The size of the primary screen in window coordinates; 1024 × 768 without a screen.
TSize PrimaryScreenSize();

// A picture of the whole primary screen, PrimaryScreenSize() large; a null image
// where the platform cannot capture.
QImage GrabScreen();

} // namespace glimra
