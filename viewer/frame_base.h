#pragma once
#include "common/geometry.h"
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
        bool operator==(const TKey&) const = default;
    };

    // Brings bitmap back to the base last composed under key; false when the base
    // must be composed anew (no key, another key, or none kept yet).
    bool Restore(QImage& bitmap, const std::optional<TKey>& key);
    // The base was just composed into bitmap under key; without a key nothing is kept.
    void Composed(const QImage& bitmap, const std::optional<TKey>& key);

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

    // Frames that found the base kept, for the tests.
    long long Restored() const { return restored_; }

private:
    // What was drawn over the base, clipped to bitmap.
    QRegion DrawnRegion(const QImage& bitmap) const;
    void Forget(const QImage& bitmap);

    QImage base_;
    std::optional<TKey> key_; // the last base composed
    bool kept_ = false;       // base_ holds it
    TRowExtents drawn_;
    std::vector<TRect> pieces_;
    bool everywhere_ = true;
    std::int64_t frameKey_ = 0;
    QRegion changed_;
    long long restored_ = 0;
};

} // namespace glimra
