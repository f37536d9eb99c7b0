#include "viewer/window_layout.h"

#include <algorithm>

namespace glimra {

TPoint ButtonHomeFor(int n, int windowWidth) {
    int fit = (windowWidth - 24) / 76;
    return n > fit ? TPoint{24, 119 - 17 * n} : TPoint{76 * n - 52, 15};
}

TOpeningBand StepOpening(TBounds band, int windowCount, int windowWidth, int windowHeight) {
    band.Left = std::max(0, band.Left - 8 * windowCount);
    band.Width = std::min(windowWidth, band.Width + 16 * windowCount);
    if (band.Left > 0)
        return {band, false};
    band.Top = std::max(0, band.Top - 15 * windowCount);
    band.Height += 30 * windowCount;
    if (band.Height > windowHeight) {
        band.Height = windowHeight;
        return {band, true};
    }
    return {band, false};
}

} // namespace glimra
