#include "graphics/control_geometry.h"

#include <algorithm>
#include <cmath>

namespace glimra {

TZoomInsets ZoomInsets(int width, int height, int zoom) {
    zoom = std::max(zoom, 0);
    int a = zoom;
    if (width != height)
        a = height <= 0 ? 0
                        : static_cast<int>(std::trunc(static_cast<double>(width) / height * zoom));
    return {std::clamp(a, 0, std::max(width, 0) / 2), std::clamp(zoom, 0, std::max(height, 0) / 2)};
}

int AcceptZoom(int current, int value, int width, int height) {
    if (value == current)
        return current;
    value = std::max(value, 0);
    return (value < width - value && value < height - value) ? value : current;
}

int ZoomAfterResize(int zoom, int width, int height) {
    if (zoom >= width - zoom || zoom >= height - zoom)
        zoom = std::max(std::min(width, height) / 2 - 1, 0);
    return zoom;
}

TRect BackgroundSource(TBounds b, TZoomInsets in) {
    return {b.Left + in.A, b.Top + in.Z, b.Left + b.Width - in.A, b.Top + b.Height - in.Z};
}

TPoint CaptionPosition(int width, int height, int textWidth, int textHeight, int zoom) {
    TPoint p = zoom == 0 ? TPoint{(width - textWidth) / 2, (height - textHeight) / 2}
                         : TPoint{width - textWidth - 2, height - textHeight - 2};
    return {std::max(p.X, 0), std::max(p.Y, 0)};
}

bool IsInParent(TBounds b, int parentWidth, int parentHeight) {
    return b.Left + b.Width > 0 && b.Left < parentWidth && b.Top + b.Height > 0 &&
           b.Top < parentHeight;
}

TPoint CentreIn(int outerWidth, int outerHeight, int width, int height) {
    return {(outerWidth - width) / 2, (outerHeight - height) / 2};
}

TBounds AlignEdit(TGEditAlign align, int ownerWidth, int ownerHeight, TBounds b) {
    if (align == geaNone)
        return b;
    b.Width = std::max(ownerWidth - 20, MinControlSide);
    b.Left = (ownerWidth - b.Width) / 2;
    switch (align) {
    case geaTop:
        b.Top = 32;
        break;
    case geaMiddle:
        b.Top = (ownerHeight - b.Height) / 2;
        break;
    case geaBottom:
        b.Top = ownerHeight - b.Height - 10;
        break;
    case geaNone:
        break;
    }
    return b;
}

} // namespace glimra
