#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace glimra {

// Width in pixels of one displayed character; the Qt layer measures with the window's
// font. It may be called from a worker thread, never from two threads at once.
using TCharWidth = std::function<int(char32_t)>;

// Where a line breaks at a text width, found on the line's bytes. The break rule is
// the edit control's: break after the last blank that fits; a word wider than the row
// breaks at the last character that fits; blanks hang past the edge.
class TWrapMetrics {
public:
    // Past this many bytes a line is not wrapped further: a giant line shows its
    // first part, and its row table stays small.
    static constexpr std::size_t WrapLimit = 16u << 20;

    TWrapMetrics() = default;
    // widestAdvance: the font's widest character, so that a line whose bytes times it
    // fit the width needs no measuring.
    TWrapMetrics(int width, TCharWidth charWidth, int widestAdvance);

    int Width() const { return RowWidth; }
    // Rows the line takes (at least one).
    std::uint32_t CountRows(std::string_view line);
    // A long line is counted in pieces: the rows from the row starting at from (0, or
    // a Next found before) over about budget bytes, and the row start to go on from,
    // npos once the line is done.
    struct TCount {
        std::uint32_t Rows = 0;
        std::size_t Next = std::string_view::npos;
    };
    TCount CountRowsSome(std::string_view line, std::size_t from, std::size_t budget);
    // Byte offsets where rows start, up to that of row last + 1, going on from the
    // starts out already holds for this line; true once out holds every row's start.
    bool RowStarts(std::string_view line, std::vector<std::uint32_t>& out, std::size_t last);
    // Bytes walked so far by both. For the tests.
    std::size_t BytesWalked() const { return Walked; }

private:
    // Calls row(start) for each row from the one starting at from (a row start);
    // stops when it returns false.
    template <class Row> void Walk(std::string_view line, std::size_t from, Row&& row);
    int WideWidth(std::string_view s, std::size_t i, std::size_t& len);
    int Measure(char32_t c);

    int RowWidth = 0;
    std::size_t Walked = 0;
    TCharWidth CharWidth;
    // One-byte characters by byte; the bytes of longer sequences hold Wide.
    static constexpr int Wide = 1 << 24; // eight of them still fit an int
    int Ascii[256] = {};
    int ReplacementWidth = 1;
    long long MaxPerByte = 1;
    // Other characters: the Basic Multilingual Plane by code point (-1 until measured),
    // the rest in a map; measured once each.
    std::vector<std::int32_t> Plane;
    std::unordered_map<char32_t, int> Astral;
};

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 if invalid.
std::size_t Utf8Length(std::string_view s, std::size_t i, char32_t& cp);

// Decodes UTF-8 for display; each undecodable byte becomes U+FFFD, control
// characters their visible pictures, a tab four blanks. At most limit characters.
void DecodeForDisplay(std::string_view bytes, std::u32string& out, std::size_t limit = SIZE_MAX);

} // namespace glimra
