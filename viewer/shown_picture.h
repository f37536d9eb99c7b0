#pragma once
#include <QImage>
#include <QRegion>

namespace glimra {

// What the window system shows of a window's picture, where the paints that put it
// there were copied: a redraw that comes out as it was shown needs no paint, and an
// idle window that redraws on a clock then costs the screen nothing.
class TShownPicture {
public:
    // The part region of picture was just painted; it is kept.
    void Painted(const QImage& picture, const QRegion& region);
    // The part region was painted without being kept: it is unknown from now on.
    void Forget(const QRegion& region) { known_ -= region; }
    // What of region needs a paint: the part not known to be shown, or all of region
    // once a part that is known differs from picture.
    QRegion Differing(const QImage& picture, const QRegion& region) const;

private:
    QImage shown_;
    QRegion known_;
};

} // namespace glimra
