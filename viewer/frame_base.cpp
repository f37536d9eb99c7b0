#include "viewer/frame_base.h"

#include "graphics/pixel_ops.h"
#include "graphics/qt_pixels.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace glimra {

bool TFrameBase::Restore(QImage& bitmap, const std::optional<TKey>& key) {
    if (!key || !kept_ || !(key == key_) || base_.size() != bitmap.size() ||
        base_.format() != bitmap.format())
        return false;
    // Before the view is taken: taking it changes the key.
    const bool whole = everywhere_ || bitmap.cacheKey() != frameKey_;
    const TConstPixelView base = ViewOf(std::as_const(base_));
    TPixelView target = ViewOf(bitmap);
    if (whole) {
        CopyRect(target, 0, 0, base, base.Rect());
        changed_ = bitmap.rect();
    } else {
        drawn_.ForEach([&](int y, int left, int right) {
            CopyRect(target, left, y, base, {left, y, right, y + 1});
        });
        for (const TRect& r : pieces_)
            CopyRect(target, r.Left, r.Top, base, r);
        changed_ = DrawnRegion(bitmap);
    }
    Forget(bitmap);
    ++restored_;
    return true;
}

void TFrameBase::Composed(const QImage& bitmap, const std::optional<TKey>& key) {
    Forget(bitmap);
    changed_ = bitmap.rect();
    // A base that changes with every frame (a window behind ticking) is not worth a
    // copy: it is kept once it came out the same twice running.
    kept_ = key && key == key_;
    key_ = key;
    if (!kept_)
        return;
    if (base_.size() != bitmap.size() || base_.format() != bitmap.format())
        base_ = QImage(bitmap.size(), bitmap.format());
    CopyRect(ViewOf(base_), 0, 0, ViewOf(bitmap), ViewOf(bitmap).Rect());
}

void TFrameBase::FrameDone(const QImage& bitmap) {
    frameKey_ = bitmap.cacheKey();
    changed_ = everywhere_ ? QRegion(bitmap.rect()) : changed_.united(DrawnRegion(bitmap));
}

QRegion TFrameBase::DrawnRegion(const QImage& bitmap) const {
    const auto toQRect = [&bitmap](TRect r) {
        return QRect(r.Left, r.Top, r.Width(), r.Height()).intersected(bitmap.rect());
    };
    QRegion region;
    if (const TRect text = drawn_.Bounds(); !text.IsEmpty())
        region += toQRect(text);
    for (const TRect& r : pieces_)
        if (!r.IsEmpty())
            region += toQRect(r);
    return region;
}

void TFrameBase::Forget(const QImage& bitmap) {
    drawn_.Reset(bitmap.height());
    pieces_.clear();
    everywhere_ = false;
}

} // namespace glimra
