#pragma once
#include <QImage>

namespace glimra {

// What a window offers its skinned child controls: the 24-bit composition
// bitmap (WindowBitmap) covering its client area from the top-left corner.
class TBitmapOwner {
public:
    virtual ~TBitmapOwner() = default;
    virtual const QImage& OwnerBitmap() const = 0;
};

} // namespace glimra
