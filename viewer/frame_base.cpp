#include "viewer/frame_base.h"

#include "graphics/overlaps.h"
#include "graphics/pixel_ops.h"
#include "graphics/qt_pixels.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace glimra {

bool TFrameBase::TKey::SameButBehind(const TKey& other) const {
    return Values == other.Values && Title == other.Title && Font == other.Font &&
           BehindArea == other.BehindArea;
}

TFrameBase::TRestored TFrameBase::Restore(QImage& bitmap, const std::optional<TKey>& key) {
    if (!key || !kept_ || base_.size() != bitmap.size() || base_.format() != bitmap.format())
        return TRestored::None;
    TRestored restored = TRestored::None;
    if (*key == *kept_)
        restored = TRestored::Whole;
    else if (key->SameButBehind(*kept_))
        restored = TRestored::Outside;
    else
        return TRestored::None;
    // What lies behind is composed again whole: copying it back first is wasted.
    CopyBack(bitmap, restored == TRestored::Outside ? key->BehindArea : TRect{});
    if (restored == TRestored::Whole)
        last_ = key;
    ++restored_;
    restoredOutside_ += restored == TRestored::Outside;
    return restored;
}

void TFrameBase::CopyBack(QImage& bitmap, TRect skip) {
    // Before the view is taken: taking it changes the key.
    const bool whole = everywhere_ || bitmap.cacheKey() != frameKey_;
    const TConstPixelView base = ViewOf(std::as_const(base_));
    TPixelView target = ViewOf(bitmap);
    const auto copy = [&](TRect r) {
        for (const TRect& part : Around(r, skip))
            CopyRect(target, part.Left, part.Top, base, part);
    };
    if (whole) {
        copy(base.Rect());
        changed_ = bitmap.rect();
    } else {
        // A row's span waits for the text laid over it, in one piece: the part right
        // of the skipped one when there is one, the part left of it copied now.
        pending_.Reset(bitmap.height());
        drawn_.ForEach([&](int y, int left, int right) {
            const bool across = y >= skip.Top && y < skip.Bottom;
            const int leftEnd = across ? std::min(right, skip.Left) : right;
            const int from = across ? std::max(left, skip.Right) : right;
            if (from < right) {
                pending_.Add(y, from, right);
                if (left < leftEnd)
                    CopyRect(target, left, y, base, {left, y, leftEnd, y + 1});
            } else if (left < leftEnd) {
                pending_.Add(y, left, leftEnd);
            }
        });
        for (const TRect& r : pieces_)
            copy(r);
        changed_ = DrawnRegion(bitmap);
    }
    Forget(bitmap);
}

TInkPicture::TRestore TFrameBase::Restoring() {
    return {ViewOf(std::as_const(base_)), &pending_};
}

void TFrameBase::FinishRestore(QImage& bitmap) {
    if (pending_.Bounds().IsEmpty())
        return;
    const TConstPixelView base = ViewOf(std::as_const(base_));
    TPixelView target = ViewOf(bitmap);
    pending_.ForEach([&](int y, int left, int right) {
        CopyRect(target, left, y, base, {left, y, right, y + 1});
    });
    pending_.Reset(0);
}

void TFrameBase::Composed(const QImage& bitmap, const std::optional<TKey>& key) {
    // Composed anew: nothing of the last frame is left to bring back.
    pending_.Reset(0);
    Forget(bitmap);
    changed_ = bitmap.rect();
    // A base that changes with every frame (a window moving) is not worth a copy: it
    // is kept once it came out the same twice running, but for the windows behind.
    const bool same = key && last_ && key->SameButBehind(*last_);
    last_ = key;
    kept_.reset();
    if (!same)
        return;
    if (base_.size() != bitmap.size() || base_.format() != bitmap.format())
        base_ = QImage(bitmap.size(), bitmap.format());
    Keep(bitmap, ViewOf(bitmap).Rect());
    kept_ = key;
}

void TFrameBase::ComposedBehind(const QImage& bitmap, const TKey& key) {
    // Sent to the screen, and copied back (or composed again) next frame.
    pieces_.push_back(key.BehindArea);
    // Pictures behind that stopped changing: keep them with the rest.
    if (last_ && last_->Behind == key.Behind) {
        Keep(bitmap, key.BehindArea);
        kept_ = key;
    }
    last_ = key;
}

void TFrameBase::Keep(const QImage& bitmap, TRect r) {
    ++keeps_;
    r = Intersect(r, ViewOf(bitmap).Rect());
    CopyRect(ViewOf(base_), r.Left, r.Top, ViewOf(bitmap), r);
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
