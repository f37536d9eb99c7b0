#pragma once
#include "graphics/live_shade.h"

#include <QImage>

namespace glimra {

// What a window offers its skinned child controls: the 24-bit composition
// bitmap (WindowBitmap) covering its client area from the top-left corner.
class TBitmapOwner {
public:
    virtual ~TBitmapOwner() = default;
    virtual const QImage& OwnerBitmap() const = 0;
    // The live shade the window is shown with, none when it is shown opaque.
    virtual const TLiveShade* OwnerShade() const { return nullptr; }
    // area of the bitmap as the window shows it at the device's resolution (its text
    // finer), with the device pixel ratio set; null where the window has none.
    virtual QImage OwnerFinePicture(QRect) const { return {}; }
};

} // namespace glimra
