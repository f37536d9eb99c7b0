#pragma once
#include "graphics/brightness.h"
#include "graphics/pixel_view.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace glimra {

// One piece of a window behind laid into the window in front.
struct TOverlapCopy {
    TRect Source; // in the back window's bitmap
    TRect Dest;   // in the front window's bitmap
    bool operator==(const TOverlapCopy&) const = default;
};

// The rectangles through which back (behind) shows in front, clipped to both
// bitmaps; none when the windows do not overlap.
std::optional<TOverlapCopy> OverlapRects(TBounds back, TSize backBitmap, TBounds front,
                                         TSize frontBitmap);

// A window of the stacking list, back-most first.
struct TStackedWindow {
    TBounds Bounds;
    TSize Bitmap;
    bool Minimised = false;
    bool IsSelf = false;
};

struct TOverlapStep {
    std::size_t Index = 0; // into the list given
    TOverlapCopy Copy;
};

// The copies into the front window's bitmap, in list order. The walk stops at
// the front window itself or at the first minimised one; a list of fewer than
// two windows gives nothing.
std::vector<TOverlapStep> OverlapCopies(const std::vector<TStackedWindow>& windows, TBounds front,
                                        TSize frontBitmap);

// The steps whose pieces show: a step is left out when a later one fills a
// destination holding its own, since that one paints over every pixel it laid.
std::vector<TOverlapStep> ShowingSteps(const std::vector<TOverlapStep>& steps);
// The largest destination a step fills whole; whatever was under it does not show.
TRect FilledRect(const std::vector<TOverlapStep>& steps);
// The parts of whole outside hole: up to four rectangles.
std::vector<TRect> Around(TRect whole, TRect hole);

// Copies one piece (stretching if the rectangles differ) and shades it again.
void ApplyOverlap(TPixelView front, TConstPixelView back, const TOverlapCopy& copy,
                  std::uint8_t level, TTint tint);

} // namespace glimra
