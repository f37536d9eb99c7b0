#pragma once
#include "common/geometry.h"
#include "graphics/ink_picture.h"
#include "graphics/row_extents.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace glimra {

// The part of a window's picture under its text: the desktop, the windows behind and
// the frame. While what it is made of stays the same it is kept, and a frame copies
// back only what the last one drew over it instead of composing it all again.
class TFrameBase {
public:
    // Everything the base is composed from; equal keys give equal bases.
    struct TKey {
        std::vector<std::int64_t> Values;
        QString Title;
        QFont Font;
        // The pictures of the windows behind, and the part of the base they lie in.
        std::vector<std::int64_t> Behind;
        TRect BehindArea;
        bool operator==(const TKey&) const = default;
        // Equal but for the pictures behind: the base differs only inside BehindArea.
        bool SameButBehind(const TKey& other) const;
    };

    enum class TRestored {
        None,   // the base must be composed anew (no key, another key, none kept)
        Whole,  // bitmap holds the base
        Outside // bitmap holds it outside BehindArea; compose that part, then ComposedBehind
    };
    // Brings bitmap back to the base last kept, as far as key allows.
    TRestored Restore(QImage& bitmap, const std::optional<TKey>& key);
    // The base was just composed into bitmap under key; without a key nothing is kept.
    void Composed(const QImage& bitmap, const std::optional<TKey>& key);
    // The part inside key's BehindArea was just composed into bitmap again.
    void ComposedBehind(const QImage& bitmap, const TKey& key);

    // The rows of text the last frame drew are brought back as this frame's text is
    // laid over them (TInkPicture::TRestore); the rest of them once it is laid.
    TInkPicture::TRestore Restoring();
    void FinishRestore(QImage& bitmap);

    // What this frame draws over the base: small pieces apart, so that what goes to
    // the screen is the text and they, not everything between them; text row by row.
    void Drew(TRect r) { pieces_.push_back(r); }
    TRowExtents* Drawn() { return &drawn_; }
    void DrewEverywhere() { everywhere_ = true; }
    // The frame is finished. Whatever else writes bitmap before the next frame
    // makes that frame copy the whole base back.
    void FrameDone(const QImage& bitmap);
    // The part of bitmap this frame changed from the last one.
    const QRegion& Changed() const { return changed_; }

    // Frames that found the base kept, and of those, kept but for what lies behind;
    // copies into the kept base. For the tests.
    long long Restored() const { return restored_; }
    long long RestoredOutside() const { return restoredOutside_; }
    long long Keeps() const { return keeps_; }

private:
    // What was drawn over the base, clipped to bitmap.
    QRegion DrawnRegion(const QImage& bitmap) const;
    // Copies back what the last frame changed, leaving out skip.
    void CopyBack(QImage& bitmap, TRect skip);
    void Keep(const QImage& bitmap, TRect r);
    void Forget(const QImage& bitmap);

    QImage base_;
    std::optional<TKey> kept_; // what base_ holds
    std::optional<TKey> last_; // the last frame's
    TRowExtents drawn_;
    TRowExtents pending_; // rows of the last frame's text still to bring back
    std::vector<TRect> pieces_;
    bool everywhere_ = true;
    std::int64_t frameKey_ = 0;
    QRegion changed_;
    long long restored_ = 0;
    long long restoredOutside_ = 0;
    long long keeps_ = 0;
};

} // namespace glimra
