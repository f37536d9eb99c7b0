#pragma once
#include "graphics/ink_picture.h"

#include <QColor>
#include <QFont>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>

namespace glimra {

// The display lines of a window drawn once each: a frame that shows the same lines
// again, moved or not, lays the ink kept here instead of shaping and rasterising the
// text again. A picture is kept with its text, so an append or a rewrap draws only the
// lines whose text changed. Lines left behind are kept up to a budget, the longest
// unseen going first: a ticker running through a short log draws each line once.
class TLineImages {
public:
    static constexpr std::uint64_t NoVersion = std::numeric_limits<std::uint64_t>::max();

    // What every picture depends on besides its text; a change empties the cache.
    struct TKey {
        QFont Font;
        QColor Color;
        int Width = 0;
        int Height = 0;
        // Which colour rules chose the lines' colours.
        std::uint64_t Rules = 0;
        bool operator==(const TKey&) const = default;
    };

    // Starts a frame drawn under key.
    void BeginFrame(const TKey& key);
    // The ink of display line index showing text, the baseline at the font's ascent.
    // version: the lines' version the text was read under, if known. color: the line's
    // own, when a rule gives it one.
    const TInkPicture& Line(std::size_t index, const std::u32string& text,
                            std::uint64_t version = NoVersion, const QColor& color = {});
    // The same, text() read only when the lines changed since the picture was drawn:
    // under one version a display line always shows one text.
    template <class F>
    const TInkPicture& Line(std::size_t index, std::uint64_t version, F&& text,
                            const QColor& color = {}) {
        if (const auto it = lines_.find(index); it != lines_.end() && Holds(it->second, version)) {
            ++reused_;
            it->second.Frame = frame_;
            return it->second.Ink;
        }
        return Line(index, text(), version, color);
    }
    // Whether display line index is kept as it was under version: Line then needs no text.
    bool Holds(std::size_t index, std::uint64_t version) const {
        const auto it = lines_.find(index);
        return it != lines_.end() && Holds(it->second, version);
    }

    // Lines drawn and lines found, for the tests and the benchmarks.
    long long Drawn() const { return drawn_; }
    long long Reused() const { return reused_; }

private:
    struct TEntry {
        std::u32string Text;
        QColor Color;
        TInkPicture Ink;
        long long Frame = 0; // the last frame that showed it
        std::uint64_t Version = NoVersion;
    };
    static bool Holds(const TEntry& entry, std::uint64_t version) {
        return entry.Frame > 0 && entry.Version == version;
    }
    // Ink pixels kept at most (four bytes each); trimmed to half when exceeded.
    static constexpr std::size_t BudgetPixels = std::size_t{2} << 20;
    void Trim();

    TKey key_;
    bool valid_ = false;
    std::unordered_map<std::size_t, TEntry> lines_;
    std::size_t pixels_ = 0;
    long long frame_ = 0;
    QImage canvas_{1, 1, QImage::Format_ARGB32_Premultiplied}; // where a line is drawn
    long long drawn_ = 0;
    long long reused_ = 0;
};

} // namespace glimra
