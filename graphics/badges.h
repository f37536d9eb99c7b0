#pragma once
#include <QImage>

namespace glimra {

// A 200 × 200 picture for a picture control, with its 1-bit mask: set (white)
// bits mark the black surround that stays transparent. Drawn at a scale, both are
// that many times larger, for a device finer than a window pixel.
struct TBadge {
    QImage Picture; // Format_BGR888
    QImage Mask;    // Format_Mono
};

inline constexpr int BadgeSide = 200;

// Upright white triangle with a yellow inner triangle, UPDATE along each side,
// an exclamation mark above "Attention!" inside.
TBadge UpdateBadge(qreal scale = 1);
// Downward triangle in red outlines, DANGER along each side, "SELF
// TERMINATION" above "404" inside.
TBadge DangerBadge(qreal scale = 1);

} // namespace glimra
