#include "viewer/wrap_metrics.h"

#include <algorithm>
#include <cstring>

namespace glimra {

std::size_t Utf8Length(std::string_view s, std::size_t i, char32_t& cp) {
    auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80           ? 1
                      : (b >> 5) == 0x6  ? 2
                      : (b >> 4) == 0xE  ? 3
                      : (b >> 3) == 0x1E ? 4
                                         : 0;
    if (len == 0 || i + len > s.size())
        return 0;
    if (len == 1) {
        cp = b;
        return 1;
    }
    cp = b & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        auto c = static_cast<unsigned char>(s[i + k]);
        if ((c >> 6) != 0x2)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

void DecodeForDisplay(std::string_view bytes, std::u32string& out, std::size_t limit) {
    out.clear();
    // Reserve for what is shown, never for a whole giant line.
    out.reserve(std::min(bytes.size(), limit));
    for (std::size_t i = 0; i < bytes.size() && out.size() < limit;) {
        char32_t cp = 0;
        std::size_t len = Utf8Length(bytes, i, cp);
        if (len == 0) {
            out.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        i += len;
        if (cp == U'\t')
            out.append(4, U' ');
        else if (cp < 0x20)
            out.push_back(U'\u2400' + cp);
        else if (cp == 0x7F)
            out.push_back(U'\u2421');
        else
            out.push_back(cp);
    }
}

TWrapMetrics::TWrapMetrics(int width, TCharWidth charWidth, int widestAdvance)
    : RowWidth(width), CharWidth(std::move(charWidth)) {
    auto measure = [this](char32_t c) { return CharWidth ? std::max(0, CharWidth(c)) : 1; };
    const int blank = measure(U' ');
    for (int b = 0; b < 0x80; ++b) {
        char32_t shown = b < 0x20    ? U'\u2400' + static_cast<char32_t>(b)
                         : b == 0x7F ? U'\u2421'
                                     : b;
        Ascii[b] = b == '\t' ? 4 * blank : measure(shown);
    }
    std::fill(Ascii + 0x80, Ascii + 256, Wide);
    ReplacementWidth = measure(U'\uFFFD');
    Plane.assign(0x10000, -1);
    // A tab (four blanks from one byte) is looked for instead of counted in.
    MaxPerByte =
        std::max({1, widestAdvance, ReplacementWidth, *std::max_element(Ascii, Ascii + '\t'),
                  *std::max_element(Ascii + '\t' + 1, Ascii + 0x80)});
}

int TWrapMetrics::Measure(char32_t c) {
    int w = 0;
    if (c < 0x10000) {
        if (Plane[c] >= 0)
            return Plane[c];
        w = CharWidth ? std::max(0, CharWidth(c)) : 1;
        Plane[c] = w;
    } else {
        auto it = Astral.find(c);
        if (it != Astral.end())
            return it->second;
        w = CharWidth ? std::max(0, CharWidth(c)) : 1;
        Astral.emplace(c, w);
    }
    // A glyph from a fallback font may be wider than the font claims: later lines
    // then take the measuring path instead of being guessed too short.
    MaxPerByte = std::max<long long>(MaxPerByte, (w + 1) / 2);
    return w;
}

int TWrapMetrics::WideWidth(std::string_view s, std::size_t i, std::size_t& len) {
    // Two- and three-byte sequences are decoded here; the rest by the full decoder.
    const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + i;
    const std::size_t left = s.size() - i;
    char32_t cp = 0;
    if ((p[0] & 0xE0) == 0xC0 && left >= 2 && (p[1] & 0xC0) == 0x80 && p[0] >= 0xC2) {
        cp = (char32_t(p[0] & 0x1F) << 6) | (p[1] & 0x3F);
        len = 2;
    } else if ((p[0] & 0xF0) == 0xE0 && left >= 3 && (p[1] & 0xC0) == 0x80 &&
               (p[2] & 0xC0) == 0x80) {
        cp = (char32_t(p[0] & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        len = 3;
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
            len = 0;
    } else {
        len = Utf8Length(s, i, cp);
    }
    if (len == 0) {
        len = 1;
        return ReplacementWidth;
    }
    if (cp < 0x10000 && Plane[cp] >= 0)
        return Plane[cp];
    return Measure(cp);
}

template <class Row> void TWrapMetrics::Walk(std::string_view line, std::size_t from, Row&& row) {
    const std::size_t n = std::min(line.size(), WrapLimit);
    const unsigned char* s = reinterpret_cast<const unsigned char*>(line.data());
    from = std::min(from, n);
    if (!row(from))
        return;
    // Even at the widest advance the rest fits: one row, nothing measured.
    if (static_cast<long long>(n - from) * MaxPerByte <= RowWidth &&
        !std::memchr(s + from, '\t', n - from))
        return;
    // A row starts with nothing carried over: going on from one is walking from 0.
    std::size_t start = from, i = from;
    long long lineWidth = 0;
    while (i < n) {
        // Plain text: table look-ups, eight bytes at once while they fit (a byte of a
        // longer sequence is Wide and never fits), then one at a time.
        while (i + 8 <= n) {
            const long long eight = Ascii[s[i]] + Ascii[s[i + 1]] + Ascii[s[i + 2]] +
                                    Ascii[s[i + 3]] + Ascii[s[i + 4]] + Ascii[s[i + 5]] +
                                    Ascii[s[i + 6]] + Ascii[s[i + 7]];
            if (lineWidth + eight > RowWidth)
                break;
            lineWidth += eight;
            i += 8;
        }
        while (i < n && lineWidth + Ascii[s[i]] <= RowWidth)
            lineWidth += Ascii[s[i++]];
        // A run of longer sequences (a Japanese message) stays in a loop of its own.
        while (i < n && s[i] >= 0x80) {
            std::size_t len = 3;
            int w = -1;
            // Three-byte characters already measured take no call.
            if ((s[i] & 0xF0) == 0xE0 && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 &&
                (s[i + 2] & 0xC0) == 0x80) {
                const char32_t cp = (char32_t(s[i] & 0x0F) << 12) |
                                    (char32_t(s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
                if (cp >= 0x800)
                    w = Plane[cp]; // a surrogate is never measured: -1
            }
            if (w < 0)
                w = WideWidth(line, i, len);
            if (lineWidth + w > RowWidth && i != start)
                break;
            lineWidth += w;
            i += len;
        }
        if (i >= n)
            break;
        std::size_t len = 1;
        const unsigned char b = s[i];
        const bool blank = b == ' ' || b == '\t';
        const int w = b < 0x80 ? Ascii[b] : WideWidth(line, i, len);
        if (blank && lineWidth + w > RowWidth) {
            // Blanks hang past the edge, a run of them on one row whatever its length;
            // past the edge the row's width no longer matters.
            while (i + 8 <= n && std::memcmp(s + i, "        ", 8) == 0)
                i += 8;
            while (i < n && (s[i] == ' ' || s[i] == '\t'))
                ++i;
            lineWidth = RowWidth + 1;
            continue;
        }
        if (blank || lineWidth + w <= RowWidth || i == start) {
            lineWidth += w;
            i += len;
            continue;
        }
        // Break after the last blank of this row, or before this character.
        std::size_t after = i;
        while (after > start && s[after - 1] != ' ' && s[after - 1] != '\t')
            --after;
        start = after > start ? after : i;
        i = start; // the carried word is measured again on its new row
        lineWidth = 0;
        if (!row(start))
            return;
    }
}

std::uint32_t TWrapMetrics::CountRows(std::string_view line) {
    return CountRowsSome(line, 0, SIZE_MAX).Rows;
}

TWrapMetrics::TCount TWrapMetrics::CountRowsSome(std::string_view line, std::size_t from,
                                                 std::size_t budget) {
    TCount count;
    Walk(line, from, [&](std::size_t start) {
        if (start != from && start - from >= budget) {
            count.Next = start;
            return false;
        }
        ++count.Rows;
        return true;
    });
    Walked += std::min(count.Next, std::min(line.size(), WrapLimit)) - std::min(from, line.size());
    return count;
}

bool TWrapMetrics::RowStarts(std::string_view line, std::vector<std::uint32_t>& out,
                             std::size_t last) {
    // The last start held is where the walk goes on; it is found again as its first row.
    const std::size_t from = out.empty() ? 0 : out.back();
    if (!out.empty())
        out.pop_back();
    bool all = true;
    Walk(line, from, [&](std::size_t start) {
        if (!out.empty() && out.size() - 1 > last) {
            all = false;
            return false;
        }
        out.push_back(static_cast<std::uint32_t>(start));
        return true;
    });
    Walked += (all ? std::min(line.size(), WrapLimit) : out.back()) - std::min(from, line.size());
    return all;
}

} // namespace glimra
