#pragma once
#include <QColor>
#include <QFont>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>

namespace glimra {

// The display lines of a window drawn once each: a frame that shows the same lines
// again, only moved, blends the pictures kept here instead of shaping and
// rasterising the text again. Only the lines of the last two frames are kept.
class TLineImages {
public:
    // What every picture depends on besides its line; a change empties the cache.
    struct TKey {
        std::uint64_t Version = 0;
        QFont Font;
        QColor Color;
        int Width = 0;
        int Height = 0;
        bool operator==(const TKey&) const = default;
    };

    // Starts a frame drawn under key. False when the key changed: the lines are
    // then best drawn straight away, as a change is often followed by another
    // (a growing log); the pictures are made from the next frame under this key on.
    bool BeginFrame(const TKey& key);
    // The picture of display line index (premultiplied ARGB, the baseline at the
    // font's ascent); text() gives the line when it has to be drawn.
    const QImage& Line(std::size_t index, const std::function<QString()>& text);

    // Lines drawn and lines found, for the tests and the benchmarks.
    long long Drawn() const { return drawn_; }
    long long Reused() const { return reused_; }

private:
    TKey key_;
    bool valid_ = false;
    std::unordered_map<std::size_t, QImage> current_;
    std::unordered_map<std::size_t, QImage> previous_;
    QImage probe_{1, 1, QImage::Format_ARGB32_Premultiplied}; // measures as the pictures draw
    long long drawn_ = 0;
    long long reused_ = 0;
};

} // namespace glimra
