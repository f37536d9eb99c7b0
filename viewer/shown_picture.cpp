#include "viewer/shown_picture.h"

#include "graphics/pixel_ops.h"
#include "graphics/qt_pixels.h"

#include <cstring>

namespace glimra {

namespace {

TRect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

bool SameRows(TConstPixelView a, TConstPixelView b, TRect r) {
    const auto bytes = static_cast<std::size_t>(r.Width()) * 3;
    for (int y = r.Top; y < r.Bottom; ++y)
        if (std::memcmp(a.Row(y) + r.Left * 3, b.Row(y) + r.Left * 3, bytes) != 0)
            return false;
    return true;
}

} // namespace

void TShownPicture::Painted(const QImage& picture, const QRegion& region) {
    const TConstPixelView from = ViewOf(picture);
    if (from.Empty()) {
        known_ = {};
        return;
    }
    if (shown_.size() != picture.size() || shown_.format() != picture.format()) {
        shown_ = QImage(picture.size(), picture.format());
        known_ = {};
    }
    const QRegion inside = region & picture.rect();
    for (const QRect& r : inside)
        CopyRect(ViewOf(shown_), r.left(), r.top(), from, ToRect(r));
    known_ += inside;
}

QRegion TShownPicture::Differing(const QImage& picture, const QRegion& region) const {
    const TConstPixelView now = ViewOf(picture);
    if (now.Empty() || shown_.size() != picture.size() || shown_.format() != picture.format())
        return region;
    // One part that differs and the whole is painted, as before: the text moved.
    const TConstPixelView shown = ViewOf(shown_);
    const QRegion known = region & known_;
    for (const QRect& r : known)
        if (!SameRows(now, shown, ToRect(r)))
            return region;
    return region - known_;
}

} // namespace glimra
