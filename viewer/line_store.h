#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace glimra {

// Width in pixels of one displayed character; the Qt layer measures with the window's font.
using TCharWidth = std::function<int(char32_t)>;

// The lines a window shows: each file line's bytes exactly as read, wrapped for display
// at the text width. Wrap counts are computed once per width and font and summed, so
// the count and any display line are found without wrapping the whole file again.
class TLineStore {
public:
    // Replaces the contents. CR LF, lone LF and lone CR all end a line; a final line
    // end does not start another line. Returns false (store unchanged) when the text
    // equals the current text line for line.
    bool SetText(std::string text);
    // Appends bytes that followed the old end of the file. An unterminated last line
    // is continued, so a line written in two pieces stays one line.
    void Append(std::string_view bytes);
    void Clear();
    void AddLine(std::string_view line);

    std::size_t LineCount() const { return Lines.size(); }
    // Grows with every change of the lines, so a view can tell whether it is stale.
    std::uint64_t Version() const { return Changes; }
    std::string_view Line(std::size_t index) const;
    bool LastLineOpen() const { return Lines.empty() ? false : LastOpen; }
    // The text as it was read or appended: how many bytes, and the last of them.
    std::size_t RawSize() const { return Bytes.size(); }
    std::string_view RawTail(std::size_t n) const {
        return std::string_view(Bytes).substr(Bytes.size() - std::min(n, Bytes.size()));
    }
    // All lines joined with CR LF after each, as a save writes them.
    std::string Text() const;

    // Wrapping: off shows one display line per file line. The width function is kept
    // and called only from the store's own methods.
    void SetWrap(bool on, int width, TCharWidth charWidth);
    bool Wrap() const { return WrapOn; }
    std::size_t DisplayLineCount() const;
    // The display line as text to draw (undecodable bytes shown as U+FFFD).
    std::u32string DisplayLine(std::size_t index) const;
    // Which file line a display line belongs to.
    std::size_t FileLineOf(std::size_t displayIndex) const;

private:
    struct TRange {
        std::size_t Offset;
        std::size_t Length;
    };
    std::string Bytes; // the text as read; ranges leave the line ends out
    std::vector<TRange> Lines;
    bool LastOpen = false; // the last line had no line end yet
    std::uint64_t Changes = 0;

    bool WrapOn = false;
    int WrapWidth = 0;
    TCharWidth CharWidth;
    // Display lines per file line and their running sums, filled on demand.
    mutable std::vector<std::uint32_t> WrapCounts;
    mutable std::vector<std::size_t> WrapStarts; // display index of each file line
    mutable std::size_t WrappedLines = 0;        // file lines whose counts are valid
    mutable std::unordered_map<char32_t, int> Widths;
    // The break positions of the line wrapped last (a long line is asked for row by row).
    mutable std::size_t CachedLine = SIZE_MAX;
    mutable std::u32string CachedText;
    mutable std::vector<std::uint32_t> CachedBreaks;

    void SplitFrom(std::size_t offset);
    void InvalidateWrap(std::size_t fromLine) const;
    void EnsureWrapped() const;
    int Width(char32_t c) const;
    void Breaks(const std::u32string& text, std::vector<std::uint32_t>& out) const;
    const std::vector<std::uint32_t>& BreaksOf(std::size_t line) const;
};

// Decodes UTF-8 for display; each undecodable byte becomes U+FFFD, control
// characters their visible pictures, a tab four blanks.
void DecodeForDisplay(std::string_view bytes, std::u32string& out);

} // namespace glimra
