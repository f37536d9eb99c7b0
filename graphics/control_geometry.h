#pragma once
#include "graphics/pixel_view.h"

namespace glimra {

// Horizontal (A) and vertical (Z) insets of a magnified control.
struct TZoomInsets {
    int A = 0;
    int Z = 0;
    bool operator==(const TZoomInsets&) const = default;
};

// Z = zoom; A = zoom on a square control, else width / height × zoom truncated.
// Negative zooms count as 0 and insets never pass the middle of the control.
TZoomInsets ZoomInsets(int width, int height, int zoom);

// The zoom after asking for value: an equal value changes nothing, a negative
// one becomes 0, and it is taken only while less than width − value and
// height − value.
int AcceptZoom(int current, int value, int width, int height);

// The zoom after a resize: one that no longer fits becomes the smaller side
// halved minus 1 (never below 0).
int ZoomAfterResize(int zoom, int width, int height);

// Every skinned control keeps at least this many pixels per side.
inline constexpr int MinControlSide = 10;

// The source rectangle a control at bounds takes from its owner's bitmap.
TRect BackgroundSource(TBounds bounds, TZoomInsets insets);

// Centred without zoom, lower right corner with; negative coordinates become 0.
TPoint CaptionPosition(int width, int height, int textWidth, int textHeight, int zoom);

// The control overlaps its parent's client area.
bool IsInParent(TBounds bounds, int parentWidth, int parentHeight);

// The darkening level a highlighted button shows for its own level.
inline int HighlightLevel(int transparent) {
    return transparent < 7 ? transparent + 1 : 2;
}

// Top-left corner that centres a w × h picture in an outer area (truncated).
TPoint CentreIn(int outerWidth, int outerHeight, int width, int height);

enum TGEditAlign { geaNone = 0, geaTop = 1, geaMiddle = 2, geaBottom = 3 };

// The edit's place in its owner after a resize; geaNone keeps bounds.
TBounds AlignEdit(TGEditAlign align, int ownerWidth, int ownerHeight, TBounds bounds);

} // namespace glimra
